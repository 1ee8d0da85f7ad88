// Opening a fresh or a resumed copy job: both files unbuffered, a resumed
// copy positioned where the destination ends, both handles closed on every
// path.
#include "fileio/copy_messages.h"
#include "fileio/modFileIO.h"
#include "platform/textconv.h"

namespace modFileIO {

int32_t BufferBytes = 0;

namespace {

const DWORD ShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE OpenUnbuffered(const std::string& path, DWORD access, DWORD disposition) {
  return CreateFileA(path.c_str(), access, ShareReadWrite, nullptr, disposition,
                     FILE_FLAG_NO_BUFFERING, nullptr);
}

// True when `destPath` names the file already open as `source`, under any
// spelling, hard link or symbolic link. Asked through a handle that may only
// query, so that nothing is created or truncated to find out.
bool SameFile(HANDLE source, const std::string& destPath) {
  const HANDLE probe = CreateFileA(destPath.c_str(), 0, ShareReadWrite, nullptr, OPEN_EXISTING,
                                   0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION one;
  BY_HANDLE_FILE_INFORMATION other;
  const bool same = GetFileInformationByHandle(source, &one) &&
                    GetFileInformationByHandle(probe, &other) &&
                    one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
                    one.nFileIndexHigh == other.nFileIndexHigh &&
                    one.nFileIndexLow == other.nFileIndexLow;
  CloseHandle(probe);
  return same;
}

// Opens the source, then, unless it is the same file, the destination with
// `disposition`. Reports what failed; on failure nothing stays open.
bool OpenJob(const std::wstring& source, const std::wstring& dest, DWORD disposition,
             HANDLE& sourceFile, HANDLE& destFile) {
  std::string sourceAnsi;
  std::string destAnsi;
  if (!PathToAnsi(source, sourceAnsi)) {
    ReportUnrepresentablePath(true);
    return false;
  }
  sourceFile = OpenUnbuffered(sourceAnsi, GENERIC_READ, OPEN_EXISTING);
  if (sourceFile == INVALID_HANDLE_VALUE) {
    EngineLine(L"Could not open source file");
    return false;
  }
  destFile = INVALID_HANDLE_VALUE;
  if (!PathToAnsi(dest, destAnsi)) {
    ReportUnrepresentablePath(false);
  } else if (SameFile(sourceFile, destAnsi)) {
    ReportSameFile();
  } else {
    destFile = OpenUnbuffered(destAnsi, GENERIC_WRITE, disposition);
    if (destFile == INVALID_HANDLE_VALUE) EngineLine(L"Could not open destination file");
  }
  if (destFile == INVALID_HANDLE_VALUE) CloseHandle(sourceFile);
  return destFile != INVALID_HANDLE_VALUE;
}

void CloseJob(HANDLE sourceFile, HANDLE destFile) {
  CloseHandle(sourceFile);
  CloseHandle(destFile);
}

bool Measure(HANDLE file, int64_t& size) {
  SetLastError(NO_ERROR);
  size = GetFileSize64(file);
  return GetLastError() == NO_ERROR;
}

// SetFilePointer's own test of success: INVALID_SET_FILE_POINTER is also the
// low half of a valid position, so only the last error tells.
bool Move(HANDLE file, int64_t distance, DWORD method) {
  uint32_t low = 0;
  int32_t high = 0;
  SizeToHalves(distance, low, high);
  LONG highPart = high;
  SetLastError(NO_ERROR);
  return SetFilePointer(file, static_cast<LONG>(low), &highPart, method) !=
             INVALID_SET_FILE_POINTER ||
         GetLastError() == NO_ERROR;
}

// Measures both files and positions them for a resumed copy; decides from the
// two sizes alone whether there is anything to continue.
bool PositionForResume(HANDLE sourceFile, HANDLE destFile, int64_t& startOffset) {
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
  // not even be moved to an end that is no whole sector.
  if (startOffset == sourceSize) return true;
  if (!Move(sourceFile, startOffset, FILE_BEGIN)) {
    const DWORD error = GetLastError();
    EngineLine(L"Could not seek to offset in source file");
    ReportSeekFailure(error, startOffset);
    return false;
  }
  if (!Move(destFile, 0, FILE_END)) {
    const DWORD error = GetLastError();
    EngineLine(L"Could not seek to offset in destination file");
    ReportSeekFailure(error, startOffset);
    return false;
  }
  return true;
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
  if (!OpenJob(source, dest, CREATE_ALWAYS, sourceFile, destFile)) return CopyNotStarted;
  const CopyOutcome outcome = CopyBlocks(sourceFile, destFile, source, dest, 0);
  CloseJob(sourceFile, destFile);
  return outcome;
}

CopyOutcome ResumeCopy(const std::wstring& source, const std::wstring& dest) {
  HANDLE sourceFile = INVALID_HANDLE_VALUE;
  HANDLE destFile = INVALID_HANDLE_VALUE;
  if (!BlockSizeUsable()) return CopyFailed;
  if (!OpenJob(source, dest, OPEN_ALWAYS, sourceFile, destFile)) return CopyNotStarted;
  int64_t startOffset = 0;
  CopyOutcome outcome = CopyNotStarted;
  if (PositionForResume(sourceFile, destFile, startOffset))
    outcome = CopyBlocks(sourceFile, destFile, source, dest, startOffset);
  CloseJob(sourceFile, destFile);
  return outcome;
}

}  // namespace modFileIO
