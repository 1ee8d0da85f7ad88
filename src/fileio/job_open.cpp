// Opening a copy job: the source unbuffered and taken for a file or a disk
// of known size, the block buffer had, an existing destination checked, the
// destination locked against a second writer and opened unbuffered. Nothing
// is created or truncated before every refusal has had its chance.
#include "fileio/copy_job.h"
#include "fileio/device_path.h"
#include "fileio/file_calls.h"
#include "platform/textconv.h"

namespace modFileIO {
namespace {

const DWORD ShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

// One writer per destination. The guard handle holds an exclusive lock for
// the whole copy; the system drops it with the handle, so a killed copy
// leaves none behind. Windows' locks are mandatory, so the locked byte lies
// far beyond any file's data, where neither our own tail handle nor the
// checks ever read or write. LockFile, not LockFileEx: Windows 95 and 98
// have only the first, with the same exclusive, fail-at-once lock.
const DWORD LockOffsetLow = 0xFFFFFFFEu;
const DWORD LockOffsetHigh = 0x7FFFFFFFu;

void ReleaseGuard(CopyJob& job) {
  if (job.Guard == INVALID_HANDLE_VALUE) return;
  if (job.Locked) FilePlatform.UnlockFile(job.Guard, LockOffsetLow, LockOffsetHigh, 1, 0);
  FilePlatform.CloseHandle(job.Guard);
  job.Guard = INVALID_HANDLE_VALUE;
  job.Locked = false;
}

HANDLE OpenUnbuffered(const std::string& path, DWORD access, DWORD disposition) {
  return FilePlatform.CreateFileA(path.c_str(), access, ShareReadWrite, nullptr, disposition,
                                  FILE_FLAG_NO_BUFFERING, nullptr);
}

Finding OpenSource(CopyJob& job) {
  // A disk or a volume named by its device path: on Windows its size can't be
  // read as a file's (and a volume's handle still says FILE_TYPE_DISK).
  if (IsDevicePath(job.SourcePath)) return FindingOf(Found::DevicePath, true);
  if (IsDevicePath(job.DestPath)) return FindingOf(Found::DevicePath, false);
  if (!PathToAnsi(job.SourcePath, job.SourceAnsi))
    return FindingOf(Found::UnrepresentablePath, true);
  job.Source = OpenUnbuffered(job.SourceAnsi, GENERIC_READ, OPEN_EXISTING);
  if (job.Source == INVALID_HANDLE_VALUE) return FailedCall(Found::OpenFailed, true);
  job.SourceFacts = FactsOf(job.Source);
  Finding found = CheckDiskFile(job.SourceFacts, true);
  // The copy ends at the source's size, and the progress and the checks
  // count on it.
  if (None(found) && !job.SourceFacts.Known) {
    found = FindingOf(Found::Unmeasurable);
    found.Error = job.SourceFacts.Error;
  }
  return found;
}

// An existing destination is looked at through a handle that may only query,
// so that nothing is created or truncated to find out.
Finding CheckBeforeTouching(const CopyJob& job) {
  const HANDLE probe = FilePlatform.CreateFileA(job.DestAnsi.c_str(), 0, ShareReadWrite, nullptr,
                                                OPEN_EXISTING, 0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return Finding();  // not there yet, or the open says why
  const Finding found = CheckExistingDest(job, FactsOf(probe));
  FilePlatform.CloseHandle(probe);
  return found;
}

// The guard reads too where the file lets it, so that the checks read the
// destination back without opening it by name again.
HANDLE OpenGuard(const std::string& path, bool& reads) {
  reads = true;
  HANDLE guard = FilePlatform.CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          ShareReadWrite, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
  if (guard != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED) return guard;
  reads = false;
  return FilePlatform.CreateFileA(path.c_str(), GENERIC_WRITE, ShareReadWrite, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Opens the guard without truncating anything and takes the lock. A file
// system or device without locks doesn't stop the copy; a lock held by
// another does. `guardFacts` is what the guard reached.
Finding GuardDestination(CopyJob& job, FileFacts& guardFacts) {
  job.Guard = OpenGuard(job.DestAnsi, job.GuardReads);
  if (job.Guard == INVALID_HANDLE_VALUE) return FailedCall(Found::OpenFailed);
  job.Created = GetLastError() != ERROR_ALREADY_EXISTS;
  guardFacts = FactsOf(job.Guard);
  const Finding found = CheckDiskFile(guardFacts, false);  // the path may have changed
  if (!None(found)) return found;
  job.Locked = FilePlatform.LockFile(job.Guard, LockOffsetLow, LockOffsetHigh, 1, 0) != FALSE;
  if (!job.Locked && GetLastError() == ERROR_LOCK_VIOLATION)
    return FindingOf(Found::DestinationBusy);
  return Finding();
}

// The unbuffered destination, which must reach the guarded file.
Finding OpenDestination(CopyJob& job, const FileFacts& guardFacts, DWORD disposition) {
  job.Dest = OpenUnbuffered(job.DestAnsi, GENERIC_WRITE, disposition);
  if (job.Dest == INVALID_HANDLE_VALUE) return FailedCall(Found::OpenFailed);
  job.DestFacts = FactsOf(job.Dest);
  if (!SameFile(job.DestFacts, guardFacts)) return FindingOf(Found::DestinationMoved);
  return Finding();
}

Finding OpenDestinationChecked(CopyJob& job, DWORD disposition) {
  if (!PathToAnsi(job.DestPath, job.DestAnsi)) return FindingOf(Found::UnrepresentablePath);
  Finding found = CheckBeforeTouching(job);
  FileFacts guardFacts;
  if (None(found)) found = GuardDestination(job, guardFacts);
  if (None(found)) found = OpenDestination(job, guardFacts, disposition);
  // "Nothing was copied" leaves nothing behind either: not the empty file
  // that only the guard's open made (Windows deletes no file still open).
  if (!None(found) && job.Created && job.Dest == INVALID_HANDLE_VALUE) {
    ReleaseGuard(job);
    FilePlatform.DeleteFileA(job.DestAnsi.c_str());
  }
  return found;
}

}  // namespace

// The one kind of file whose end is known before it is read and whose bytes
// stay put once written: a file or a disk.
Finding CheckDiskFile(const FileFacts& facts, bool source) {
  if (facts.Type == FILE_TYPE_DISK) return Finding();
  Finding found = FindingOf(Found::NotADiskFile, source);
  found.Count = facts.Type;
  return found;
}

// The block size can't reach here below 1 byte from the command line; were
// it to, nothing is opened (a fresh copy would already have truncated its
// destination).
Finding CheckBlockSize(CopyJob& job) {
  if (BufferBytes <= 0) return FindingOf(Found::BadBlockSize);
  job.BlockBytes = static_cast<DWORD>(BufferBytes);
  return Finding();
}

Finding OpenJob(CopyJob& job) {
  Finding found = CheckBlockSize(job);
  if (None(found)) found = OpenSource(job);
  if (None(found)) found = ReserveBuffer(job);
  if (None(found)) found = OpenDestinationChecked(job, job.Resume ? OPEN_ALWAYS : CREATE_ALWAYS);
  return found;
}

void CloseJob(CopyJob& job) {
  for (HANDLE* handle : {&job.Source, &job.Dest}) {
    if (*handle != INVALID_HANDLE_VALUE) FilePlatform.CloseHandle(*handle);
    *handle = INVALID_HANDLE_VALUE;
  }
  ReleaseGuard(job);
  ReleaseBuffer(job);
}

// A device keeps its size whatever is written to it: an image larger than
// the device can't fit, which is known before the first block.
Finding CheckFits(const CopyJob& job) {
  if (!job.DestFacts.Device || job.SourceFacts.Size <= job.DestFacts.Size) return Finding();
  Finding found = FindingOf(Found::DeviceTooSmall);
  found.Expected = job.SourceFacts.Size;
  found.Actual = job.DestFacts.Size;
  return found;
}

}  // namespace modFileIO
