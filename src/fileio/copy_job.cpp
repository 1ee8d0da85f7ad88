// Opening a fresh or a resumed copy job: both files unbuffered and checked to
// be files or disks, the destination locked against a second writer, a
// resumed copy checked and positioned where the destination ends, every
// handle closed on every path.
#include "fileio/copy_checks.h"
#include "fileio/copy_messages.h"
#include "fileio/file_calls.h"
#include "fileio/file_identity.h"
#include "fileio/modFileIO.h"
#include "fileio/resume_check.h"
#include "platform/textconv.h"

namespace modFileIO {

int32_t BufferBytes = 0;

namespace {

const DWORD ShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE OpenUnbuffered(const std::string& path, DWORD access, DWORD disposition) {
  return FilePlatform.CreateFileA(path.c_str(), access, ShareReadWrite, nullptr, disposition,
                                  FILE_FLAG_NO_BUFFERING, nullptr);
}

// The one kind of file whose end is known before it is read and whose bytes
// stay put once written: a file or a disk. Anything else is refused, said why.
bool DiskFileOrReport(HANDLE file, bool isSource) {
  const DWORD type = FilePlatform.GetFileType(file);
  if (type == FILE_TYPE_DISK) return true;
  ReportNotADiskFile(isSource, type);
  return false;
}

bool Measure(HANDLE file, int64_t& size) {
  SetLastError(NO_ERROR);
  size = GetFileSize64(file);
  return GetLastError() == NO_ERROR;
}

// A source must say how long it is: the copy ends there, and the progress and
// the checks count on it. (A volume reached by another kind of path can't.)
bool MeasurableOrReport(HANDLE file) {
  int64_t size = 0;
  if (Measure(file, size)) return true;
  ReportMeasureFailure(GetLastError());
  return false;
}

// A disk or a volume named by its device path, in any spelling. On Windows
// its size can't be read as a file's (and a volume's handle still says
// FILE_TYPE_DISK), so it is refused before anything is opened.
bool DevicePathOrReport(const std::wstring& path, bool isSource) {
  if (!IsDevicePath(path)) return false;
  ReportDevicePath(isSource);
  return true;
}

bool IsDevice(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return FilePlatform.GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
}

// An existing destination is checked through a handle that may only query,
// so that nothing is created or truncated to find out: it must not be the
// source under any spelling, hard link, symbolic link or other mount, it must
// be a file or a disk, and no output of this program may go there.
bool ExistingDestUsable(HANDLE source, const std::string& sourcePath,
                        const std::string& destPath) {
  const HANDLE probe = FilePlatform.CreateFileA(destPath.c_str(), 0, ShareReadWrite, nullptr,
                                                OPEN_EXISTING, 0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return true;  // not there yet, or the real open says why
  bool usable = false;
  if (SameFileHandles(source, probe))
    ReportSameFile();
  else
    usable = DiskFileOrReport(probe, false) && !StandardStreamOrReport(probe) &&
             !MayBeTheSourceOrReport(source, sourcePath, probe, destPath);
  FilePlatform.CloseHandle(probe);
  return usable;
}

// One writer per destination. The guard handle holds an exclusive lock for
// the whole copy; the system drops it with the handle, so a killed copy
// leaves none behind. Windows' locks are mandatory, so the locked byte lies
// far beyond any file's data, where neither our own tail handle nor the
// resume check ever reads or writes. LockFile, not LockFileEx: Windows 95 and
// 98 have only the first, with the same exclusive, fail-at-once lock.
const DWORD LockOffsetLow = 0xFFFFFFFEu;
const DWORD LockOffsetHigh = 0x7FFFFFFFu;
HANDLE DestGuard = INVALID_HANDLE_VALUE;
bool DestLocked = false;
bool DestCreated = false;  // the guard's open made the file

// Opens the guard without truncating anything, checks what it reached (the
// path may have changed since the probe), and takes the lock. A file system
// or device without locks doesn't stop the copy; a lock held by another does.
bool GuardDestination(const std::string& destPath) {
  DestLocked = false;
  DestGuard = FilePlatform.CreateFileA(destPath.c_str(), GENERIC_WRITE, ShareReadWrite, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (DestGuard == INVALID_HANDLE_VALUE) {
    ReportOpenFailure(false, GetLastError());
    return false;
  }
  DestCreated = GetLastError() != ERROR_ALREADY_EXISTS;
  bool usable = DiskFileOrReport(DestGuard, false);
  if (usable) {
    DestLocked = FilePlatform.LockFile(DestGuard, LockOffsetLow, LockOffsetHigh, 1, 0) != FALSE;
    if (!DestLocked && GetLastError() == ERROR_LOCK_VIOLATION) {
      ReportDestinationBusy();
      usable = false;
    }
  }
  if (!usable) {
    FilePlatform.CloseHandle(DestGuard);
    DestGuard = INVALID_HANDLE_VALUE;
  }
  return usable;
}

void ReleaseDestination() {
  if (DestGuard == INVALID_HANDLE_VALUE) return;
  if (DestLocked) FilePlatform.UnlockFile(DestGuard, LockOffsetLow, LockOffsetHigh, 1, 0);
  FilePlatform.CloseHandle(DestGuard);
  DestGuard = INVALID_HANDLE_VALUE;
  DestLocked = false;
}

// Opens the destination with `disposition` once it is known to be no other
// name of the source, a file or a disk, and not being written by another
// copy; the lock is held from then on. INVALID_HANDLE_VALUE after the report.
HANDLE OpenDestination(HANDLE sourceFile, const std::string& sourceAnsi, const std::wstring& dest,
                       DWORD disposition) {
  std::string destAnsi;
  if (!PathToAnsi(dest, destAnsi)) {
    ReportUnrepresentablePath(false);
    return INVALID_HANDLE_VALUE;
  }
  if (!ExistingDestUsable(sourceFile, sourceAnsi, destAnsi) || !GuardDestination(destAnsi))
    return INVALID_HANDLE_VALUE;
  const int64_t sourceBefore = GetFileSize64(sourceFile);
  HANDLE destFile = OpenUnbuffered(destAnsi, GENERIC_WRITE, disposition);
  if (destFile == INVALID_HANDLE_VALUE) {
    ReportOpenFailure(false, GetLastError());
  } else if (GetFileSize64(sourceFile) < sourceBefore) {
    // The truncation reached the source: a path none of the checks above saw
    // through. At least nothing is copied, and no "completed" said.
    ReportSourceCutByOpen(sourceBefore, GetFileSize64(sourceFile));
    FilePlatform.CloseHandle(destFile);
    destFile = INVALID_HANDLE_VALUE;
  }
  if (destFile == INVALID_HANDLE_VALUE) {
    ReleaseDestination();
    // "Nothing was copied" leaves nothing behind either: not the empty file
    // that only the guard's open made.
    if (DestCreated) FilePlatform.DeleteFileA(destAnsi.c_str());
  }
  return destFile;
}

// Opens the source, then, when it is a file or a disk whose size can be read,
// the destination. Reports what failed; on failure nothing stays open and no
// destination was created or truncated.
bool OpenJob(const std::wstring& source, const std::wstring& dest, DWORD disposition,
             HANDLE& sourceFile, HANDLE& destFile, CopyOutcome& refusal) {
  SetCopyPaths(source, dest);  // the messages from here on may name either
  std::string sourceAnsi;
  if (DevicePathOrReport(source, true) || DevicePathOrReport(dest, false)) return false;
  if (!PathToAnsi(source, sourceAnsi)) {
    ReportUnrepresentablePath(true);
    return false;
  }
  sourceFile = OpenUnbuffered(sourceAnsi, GENERIC_READ, OPEN_EXISTING);
  if (sourceFile == INVALID_HANDLE_VALUE) {
    ReportOpenFailure(true, GetLastError());
    return false;
  }
  destFile = INVALID_HANDLE_VALUE;
  if (DiskFileOrReport(sourceFile, true) && MeasurableOrReport(sourceFile)) {
    if (ReserveBlockBuffer(GetFileSize64(sourceFile)))
      destFile = OpenDestination(sourceFile, sourceAnsi, dest, disposition);
    else
      refusal = CopyFailed;
  }
  if (destFile == INVALID_HANDLE_VALUE) {
    ReleaseBlockBuffer();
    FilePlatform.CloseHandle(sourceFile);
  }
  return destFile != INVALID_HANDLE_VALUE;
}

void CloseJob(HANDLE sourceFile, HANDLE destFile) {
  FilePlatform.CloseHandle(sourceFile);
  FilePlatform.CloseHandle(destFile);
  ReleaseDestination();
  ReleaseBlockBuffer();  // when the copy did not run
}

// A device keeps its size whatever is written to it: an image larger than the
// device can't fit, which is known before the first block.
bool FitsDestination(HANDLE sourceFile, HANDLE destFile) {
  if (!IsDevice(destFile)) return true;
  const int64_t sourceSize = GetFileSize64(sourceFile);
  const int64_t deviceSize = GetFileSize64(destFile);
  if (sourceSize <= deviceSize) return true;
  ReportDeviceTooSmall(sourceSize, deviceSize);
  return false;
}

// Measures both files and positions them for a resumed copy; decides from the
// two sizes whether there is anything to continue, and from the bytes before
// the resume point whether the destination is a partial copy of this source.
bool PositionForResume(HANDLE sourceFile, HANDLE destFile, const std::wstring& source,
                       const std::wstring& dest, int64_t& startOffset) {
  // A device measures its capacity, not what an interrupted copy wrote to it.
  if (IsDevice(destFile)) {
    ReportResumeOntoDevice();
    return false;
  }
  int64_t sourceSize = 0;
  if (!Measure(destFile, startOffset) || !Measure(sourceFile, sourceSize)) {
    ReportMeasureFailure(GetLastError());
    return false;
  }
  if (startOffset > sourceSize) {
    ReportLongerDestination(startOffset, sourceSize);
    return false;
  }
  // A finished copy: nothing is left to read, and an unbuffered handle could
  // not even be moved to an end that is no whole sector. Its last block is
  // still compared: a file of the same size is not yet a copy.
  if (startOffset == sourceSize) return FinishedCopyMatches(sourceFile, source, dest, startOffset);
  if (!SetFilePointer64(sourceFile, startOffset, FILE_BEGIN)) {
    const DWORD error = GetLastError();
    EngineLine(L"Could not seek to offset in source file");
    ReportSeekFailure(error, startOffset);
    return false;
  }
  if (!SetFilePointer64(destFile, 0, FILE_END)) {
    const DWORD error = GetLastError();
    EngineLine(L"Could not seek to offset in destination file");
    ReportSeekFailure(error, startOffset);
    return false;
  }
  return ResumePointMatches(sourceFile, dest, startOffset);
}

// The block size can't reach here below 1 byte from the command line; were it
// to, nothing is opened (a fresh copy would already have truncated its
// destination).
bool BlockSizeUsable() {
  if (BufferBytes > 0) return true;
  ReportBadBlockSize(BufferBytes);
  return false;
}

}  // namespace

CopyOutcome StartCopy(const std::wstring& source, const std::wstring& dest) {
  HANDLE sourceFile = INVALID_HANDLE_VALUE;
  HANDLE destFile = INVALID_HANDLE_VALUE;
  if (!BlockSizeUsable()) return CopyFailed;
  CopyOutcome refusal = CopyNotStarted;
  if (!OpenJob(source, dest, CREATE_ALWAYS, sourceFile, destFile, refusal)) return refusal;
  const CopyOutcome outcome = FitsDestination(sourceFile, destFile)
                                  ? CopyBlocks(sourceFile, destFile, source, dest, 0)
                                  : CopyFailed;
  CloseJob(sourceFile, destFile);
  return outcome;
}

CopyOutcome ResumeCopy(const std::wstring& source, const std::wstring& dest) {
  HANDLE sourceFile = INVALID_HANDLE_VALUE;
  HANDLE destFile = INVALID_HANDLE_VALUE;
  if (!BlockSizeUsable()) return CopyFailed;
  CopyOutcome refusal = CopyNotStarted;
  if (!OpenJob(source, dest, OPEN_ALWAYS, sourceFile, destFile, refusal)) return refusal;
  int64_t startOffset = 0;
  CopyOutcome outcome = CopyNotStarted;
  if (PositionForResume(sourceFile, destFile, source, dest, startOffset))
    outcome = CopyBlocks(sourceFile, destFile, source, dest, startOffset);
  CloseJob(sourceFile, destFile);
  return outcome;
}

}  // namespace modFileIO
