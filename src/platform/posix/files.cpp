// Win32 files over POSIX descriptors: CreateFileA and friends with Windows'
// results and error codes, and unbuffered handles on O_DIRECT.
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/posix/handle.h"

namespace {

// A move to before the start of the file.
constexpr DWORD ErrorNegativeSeek = 131;  // ERROR_NEGATIVE_SEEK
constexpr DWORD PageBytes = 4096;

// A write past the process's file-size limit (ulimit -f) fails with EFBIG,
// as Windows' fails with ERROR_FILE_TOO_LARGE at a file system's largest
// file, instead of SIGXFSZ ending the process in the middle of a block.
__attribute__((constructor)) void FailWritesPastTheSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace

int64_t ProcessFileSizeLimit() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return -1;
  return static_cast<int64_t>(limit.rlim_cur);
}

namespace {

// A file opened by CreateFileA. Windows' alignment rule for unbuffered
// handles is whole sectors. Where the kernel does the direct I/O it applies
// the device's own rule; where we fall back to the cache we apply
// SmallestSectorBytes, so a copy fails or succeeds the same way on every file
// system.
struct FileHandle : PosixHandle {
  FileHandle(int descriptor, bool canRead, bool canWrite, bool noBuffering)
      : PosixHandle(descriptor), readable(canRead), writable(canWrite), unbuffered(noBuffering) {}

  BOOL Read(void* buffer, DWORD size, DWORD* done) override;
  BOOL Write(const void* buffer, DWORD size, DWORD* done) override;
  void UndoPartialAppend(int64_t start, int64_t sizeBefore, DWORD& put);
  // Unbuffered but the file system refused O_DIRECT: the transfers go through
  // the cache, which is emptied behind them.
  bool Emulated() const { return unbuffered && !direct; }
  bool TransferAllowed(const void* buffer, DWORD size) const;
  DWORD WithinFile(DWORD size) const;
  bool AtEnd() const;
  BOOL ReadOn(char* buffer, DWORD size, DWORD& got);
  // The checks Windows makes before a transfer;
  // false with the last error set.
  bool MayTransfer(bool permitted, const void* buffer, DWORD size) const;
  void DropCacheBehind(int64_t start, DWORD size);

  bool readable;
  bool writable;
  bool unbuffered;
  bool direct = false;
  mode_t kind = 0;  // the file's type, as the open found it: a descriptor's never changes
  int64_t cacheFrom = 0;  // start of the previous transfer, for DropCacheBehind
};

bool FileHandle::TransferAllowed(const void* buffer, DWORD size) const {
  if (!Emulated()) return true;
  const off_t position = ::lseek(fd, 0, SEEK_CUR);
  return size % SmallestSectorBytes == 0 && position % SmallestSectorBytes == 0 &&
         reinterpret_cast<uintptr_t>(buffer) % SmallestSectorBytes == 0;
}

// Dirty pages can't be dropped until written back; the advice on them starts
// the write-back, and the next call drops them once clean.
void FileHandle::DropCacheBehind(int64_t start, DWORD size) {
  const int64_t end = start + size;
  const int64_t from = cacheFrom < start ? cacheFrom : start;
  ::posix_fadvise(fd, from, end - from, POSIX_FADV_DONTNEED);
  cacheFrom = start;
}

bool DescriptorSize(int fd, int64_t& size);

// A read asks for no more than the file has left, rounded up to whole pages
// so that an unbuffered read keeps its alignment: the kernel maps every page
// a direct read asks for, and a 2 GB block for a 1 MB file would make the
// whole buffer resident, which Windows' committed but untouched memory isn't.
DWORD FileHandle::WithinFile(DWORD size) const {
  const int64_t page = 4096;
  int64_t length = 0;
  const off_t position = ::lseek(fd, 0, SEEK_CUR);
  if (position < 0 || !DescriptorSize(fd, length)) return size;
  const int64_t left = length > position ? length - position : 0;
  const int64_t wanted = (left + page - 1) / page * page + page;  // a page more: growth shows
  return wanted < static_cast<int64_t>(size) ? static_cast<DWORD>(wanted) : size;
}

bool FileHandle::MayTransfer(bool permitted, const void* buffer, DWORD size) const {
  if (!permitted) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (!TransferAllowed(buffer, size)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

// Windows reads a disk file short only at its end. A FUSE file system splits a
// direct read into requests and, when one fails (a bad sector under ntfs-3g,
// an I/O error of its daemon), returns what came before it: the rest is read
// on, so that the failure is told as a failed read, not taken for the end.
BOOL FileHandle::Read(void* buffer, DWORD size, DWORD* done) {
  if (done) *done = 0;
  if (!MayTransfer(readable, buffer, size)) return FALSE;
  const int64_t start = ::lseek(fd, 0, SEEK_CUR);
  // An unbuffered read comes from the disk: what the cache still holds of
  // the range (a file written moments ago, now flushed) goes first.
  if (Emulated()) ::posix_fadvise(fd, start, size, POSIX_FADV_DONTNEED);
  DWORD got = 0;
  BOOL ok = PosixHandle::Read(buffer, WithinFile(size), &got);
  if (ok && got < size && !AtEnd()) ok = ReadOn(static_cast<char*>(buffer), size, got);
  if (!ok) {
    // Nothing of a failed read is delivered; the handle stays where it was.
    const DWORD error = GetLastError();
    ::lseek(fd, start, SEEK_SET);
    SetLastError(error);
    return FALSE;
  }
  if (done) *done = got;
  if (got > 0 && Emulated()) DropCacheBehind(start, got);
  return TRUE;
}

bool FileHandle::AtEnd() const {
  int64_t length = 0;
  const off_t position = ::lseek(fd, 0, SEEK_CUR);
  return position < 0 || !DescriptorSize(fd, length) || position >= length;
}

// The rest of a read that came back short before the file's end. A direct
// read goes on from where the first stopped if that is a whole page (a whole
// number of sectors on every disk); if not, the rest is read through the
// cache, which takes any position. A read that still can't be completed fails
// with the system's error, or ERROR_READ_FAULT when the file gives no more
// without one.
BOOL FileHandle::ReadOn(char* buffer, DWORD size, DWORD& got) {
  const int flags = ::fcntl(fd, F_GETFL);
  const bool cached = direct && got % PageBytes != 0 && flags >= 0 &&
                      ::fcntl(fd, F_SETFL, flags & ~O_DIRECT) == 0;
  BOOL ok = TRUE;
  while (ok && got < size && !AtEnd()) {
    DWORD more = 0;
    ok = PosixHandle::Read(buffer + got, WithinFile(size - got), &more);
    got += more;
    if (ok && more == 0 && !AtEnd()) {
      SetLastError(ERROR_READ_FAULT);
      ok = FALSE;
    }
  }
  if (cached) ::fcntl(fd, F_SETFL, flags);
  return ok;
}

// Windows writes all of a block or none of it: a disk that fills part-way
// through an appending write leaves the file as it was. Linux keeps what
// fitted; take it back, so that a failed write adds nothing and the caller's
// count of the file's bytes stays the count of whole blocks.
void FileHandle::UndoPartialAppend(int64_t start, int64_t sizeBefore, DWORD& put) {
  if (put == 0 || start < sizeBefore) return;
  const DWORD error = GetLastError();
  if (::ftruncate(fd, sizeBefore) == 0 && ::lseek(fd, start, SEEK_SET) == start) put = 0;
  SetLastError(error);
}

BOOL FileHandle::Write(const void* buffer, DWORD size, DWORD* done) {
  if (done) *done = 0;
  if (!MayTransfer(writable, buffer, size)) return FALSE;
  const int64_t start = ::lseek(fd, 0, SEEK_CUR);
  struct stat before {};
  const bool sized = ::fstat(fd, &before) == 0;
  DWORD put = 0;
  const BOOL ok = PosixHandle::Write(buffer, size, &put);
  if (!ok && sized) UndoPartialAppend(start, before.st_size, put);
  if (done) *done = put;
  if (put > 0 && Emulated()) DropCacheBehind(start, put);
  return ok;
}

bool OpenFlags(DWORD access, DWORD disposition, int& flags) {
  const bool read = (access & GENERIC_READ) != 0;
  const bool write = (access & GENERIC_WRITE) != 0;
  flags = O_CLOEXEC | O_NOCTTY | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
  switch (disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    default: return false;
  }
  // A handle that only asks about the file needs no right to read it.
  if (!read && !write && disposition == OPEN_EXISTING) flags = O_PATH | O_CLOEXEC;
  return true;
}

// Windows tells a missing file (2) from a missing folder (3).
DWORD MissingError(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  struct stat info;
  const bool present = ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  return present ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

// O_DIRECT is asked for after the open, so that a file system that refuses it
// costs no second open (and no second run of the creation disposition).
bool TryDirect(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_DIRECT) == 0;
}

// A file's size, and a block device's: st_size of a device node is 0, while
// Windows measures a disk by its capacity.
bool DescriptorSize(int fd, int64_t& size) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return false;
  uint64_t bytes = static_cast<uint64_t>(info.st_size);
  if (S_ISBLK(info.st_mode) && ::ioctl(fd, BLKGETSIZE64, &bytes) != 0) return false;
  size = static_cast<int64_t>(bytes);
  return true;
}

// Files that procfs, sysfs and their like make up as they are read: they call
// themselves regular files of 0 bytes, or of a size their reads don't keep to.
bool MadeUpOnReading(int fd) {
  struct statfs volume;
  if (::fstatfs(fd, &volume) != 0) return false;
  switch (static_cast<unsigned long>(volume.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
      return true;
    default:
      return false;
  }
}

// A FIFO or socket whose open would fail (a FIFO opened for writing with no
// reader, any socket) still gets a handle, one that can only be asked what it
// is: Windows opens a pipe, and the caller learns from GetFileType.
int OpenForQueryOnly(const char* path) {
  struct stat info;
  if (::stat(path, &info) != 0 || !(S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))) return -1;
  return ::open(path, O_PATH | O_CLOEXEC);
}

// Position arithmetic of SetFilePointer; false with the Win32 error when the
// move can't be made.
bool TargetPosition(int fd, int64_t distance, DWORD method, int64_t& target, DWORD& error) {
  int64_t base = 0;
  switch (method) {
    case FILE_BEGIN: break;
    case FILE_CURRENT: base = ::lseek(fd, 0, SEEK_CUR); break;
    case FILE_END:
      if (!DescriptorSize(fd, base)) base = -1;
      break;
    default: error = ERROR_INVALID_PARAMETER; return false;
  }
  if (base < 0) {
    error = Win32ErrorFromErrno(errno);
    return false;
  }
  if (__builtin_add_overflow(base, distance, &target)) {
    error = ERROR_INVALID_PARAMETER;
    return false;
  }
  if (target < 0) {
    error = ErrorNegativeSeek;
    return false;
  }
  return true;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                          LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                          HANDLE /*hTemplateFile*/) {
  // POSIX has no share modes; every mode Windows would accept is accepted.
  if (lpFileName == nullptr || *lpFileName == '\0') return Fail(ERROR_PATH_NOT_FOUND);
  int flags = 0;
  if (!OpenFlags(dwDesiredAccess, dwCreationDisposition, flags))
    return Fail(ERROR_INVALID_PARAMETER);
  struct stat info;
  const bool existed = ::stat(lpFileName, &info) == 0;
  // No open may wait: a FIFO without its other end would hold the program
  // where no signal reaches it. Whether it can be used is the caller's to ask.
  int fd = ::open(lpFileName, flags | O_NONBLOCK, 0666);
  if (fd < 0 && errno == ENXIO) {
    fd = OpenForQueryOnly(lpFileName);
    if (fd >= 0) dwDesiredAccess = 0;
    else errno = ENXIO;
  }
  if (fd < 0) {
    const int error = errno;
    return Fail(error == ENOENT ? MissingError(lpFileName) : Win32ErrorFromErrno(error));
  }
  if (!(flags & O_PATH) && dwDesiredAccess != 0) {
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  }
  // Windows opens a folder only for backup semantics, which we never ask for.
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return Fail(ERROR_ACCESS_DENIED);
  }
  const bool unbuffered = (dwFlagsAndAttributes & FILE_FLAG_NO_BUFFERING) != 0;
  auto* file = new FileHandle(fd, (dwDesiredAccess & GENERIC_READ) != 0,
                              (dwDesiredAccess & GENERIC_WRITE) != 0, unbuffered);
  file->kind = info.st_mode & S_IFMT;
  if (unbuffered && !(flags & O_PATH) && dwDesiredAccess != 0) file->direct = TryDirect(fd);
  const bool reopened = dwCreationDisposition == OPEN_ALWAYS ||
                        dwCreationDisposition == CREATE_ALWAYS;
  SetLastError(reopened && existed ? ERROR_ALREADY_EXISTS : NO_ERROR);
  return ToHandle(file);
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED) {
  PosixHandle* object = FromHandle(hFile);
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  return object ? object->Read(lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead) : FALSE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED) {
  PosixHandle* object = FromHandle(hFile);
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  return object ? object->Write(lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten) : FALSE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
  PosixHandle* object = FromHandle(hFile);
  if (!object) return INVALID_SET_FILE_POINTER;
  // Without a high part the distance is a signed 32-bit number.
  const uint64_t high = lpDistanceToMoveHigh ? static_cast<uint32_t>(*lpDistanceToMoveHigh) : 0;
  const int64_t distance =
      lpDistanceToMoveHigh
          ? static_cast<int64_t>(high << 32 | static_cast<uint32_t>(lDistanceToMove))
          : static_cast<int64_t>(lDistanceToMove);
  int64_t target = 0;
  DWORD error = NO_ERROR;
  if (!TargetPosition(object->fd, distance, dwMoveMethod, target, error)) {
    SetLastError(error);
    return INVALID_SET_FILE_POINTER;
  }
  // Without a high part the caller can only be told a 32-bit position; and an
  // unbuffered handle only ever stands at a whole sector.
  const FileHandle* file = dynamic_cast<FileHandle*>(object);
  if ((!lpDistanceToMoveHigh && target > 0xFFFFFFFFLL) ||
      (file && file->unbuffered && target % SmallestSectorBytes != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (::lseek(object->fd, target, SEEK_SET) < 0) {
    SetLastErrorFromErrno(errno);
    return INVALID_SET_FILE_POINTER;
  }
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(target >> 32);
  SetLastError(NO_ERROR);
  return static_cast<DWORD>(target);
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  PosixHandle* object = FromHandle(hFile);
  int64_t measured = 0;
  if (!object) return INVALID_FILE_SIZE;
  if (!DescriptorSize(object->fd, measured)) {
    SetLastErrorFromErrno(errno);
    return INVALID_FILE_SIZE;
  }
  const uint64_t size = static_cast<uint64_t>(measured);
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(NO_ERROR);
  return static_cast<DWORD>(size);
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
  PosixHandle* object = FromHandle(hFile);
  if (!object) return FALSE;
  const FileHandle* file = dynamic_cast<FileHandle*>(object);
  if (file && !file->writable) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  int result;
  do {
    result = ::fsync(object->fd);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

namespace {

// A stat as Windows' file information; `fd` measures a block device, whose
// st_size is 0 (-1: no handle to measure it with).
void ToInformation(struct stat& info, int fd, LPBY_HANDLE_FILE_INFORMATION lpInfo) {
  std::memset(lpInfo, 0, sizeof *lpInfo);
  DWORD attributes = S_ISDIR(info.st_mode) ? 0x10 : 0;         // FILE_ATTRIBUTE_DIRECTORY
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= 0x1;  // READONLY
  if (S_ISBLK(info.st_mode) || S_ISCHR(info.st_mode)) attributes |= FILE_ATTRIBUTE_DEVICE;
  int64_t measured = 0;
  if (fd >= 0 && S_ISBLK(info.st_mode) && DescriptorSize(fd, measured)) info.st_size = measured;
  lpInfo->dwFileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  ToFileTime(info.st_ctim, &lpInfo->ftCreationTime);  // no creation time here: the change time
  ToFileTime(info.st_atim, &lpInfo->ftLastAccessTime);
  ToFileTime(info.st_mtim, &lpInfo->ftLastWriteTime);
  // Device and inode number together name one file, as Windows' volume serial
  // number and file index do.
  const uint64_t device = static_cast<uint64_t>(info.st_dev);
  const uint64_t inode = static_cast<uint64_t>(info.st_ino);
  const uint64_t size = static_cast<uint64_t>(info.st_size);
  lpInfo->dwVolumeSerialNumber = static_cast<DWORD>(device ^ (device >> 32));
  lpInfo->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  lpInfo->nFileSizeLow = static_cast<DWORD>(size);
  lpInfo->nNumberOfLinks = static_cast<DWORD>(info.st_nlink);
  lpInfo->nFileIndexHigh = static_cast<DWORD>(inode >> 32);
  lpInfo->nFileIndexLow = static_cast<DWORD>(inode);
}

}  // namespace

BOOL WINAPI GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpInfo) {
  PosixHandle* object = FromHandle(hFile);
  struct stat info;
  if (!object || !lpInfo) {
    if (object) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (::fstat(object->fd, &info) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  ToInformation(info, object->fd, lpInfo);
  return TRUE;
}

BOOL WINAPI GetFileInformationByPath(LPCSTR path, LPBY_HANDLE_FILE_INFORMATION lpInfo) {
  struct stat info;
  if (!path || !lpInfo) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (::stat(path, &info) != 0) {
    const int error = errno;
    SetLastError(error == ENOENT ? MissingError(path) : Win32ErrorFromErrno(error));
    return FALSE;
  }
  ToInformation(info, -1, lpInfo);
  return TRUE;
}

DWORD WINAPI GetFileType(HANDLE hFile) {
  PosixHandle* object = FromHandle(hFile);
  if (!object) return FILE_TYPE_UNKNOWN;
  if (object->fd < 0) return FILE_TYPE_CHAR;  // a console of our own making
  const FileHandle* file = dynamic_cast<FileHandle*>(object);
  struct stat info;
  if (file && file->kind != 0) {
    info.st_mode = file->kind;
  } else if (::fstat(object->fd, &info) != 0) {
    SetLastErrorFromErrno(errno);
    return FILE_TYPE_UNKNOWN;
  }
  SetLastError(NO_ERROR);
  if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return FILE_TYPE_PIPE;
  if (S_ISCHR(info.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISBLK(info.st_mode)) return FILE_TYPE_DISK;
  if (S_ISREG(info.st_mode)) return MadeUpOnReading(object->fd) ? FILE_TYPE_CHAR : FILE_TYPE_DISK;
  return FILE_TYPE_UNKNOWN;
}

namespace {

BOOL SetRangeLock(HANDLE hFile, short type, DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow,
                  DWORD bytesHigh) {
  PosixHandle* object = FromHandle(hFile);
  if (!object) return FALSE;
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(static_cast<uint64_t>(offsetHigh) << 32 | offsetLow);
  range.l_len = static_cast<off_t>(static_cast<uint64_t>(bytesHigh) << 32 | bytesLow);
  if (range.l_start < 0 || range.l_len <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (::fcntl(object->fd, F_OFD_SETLK, &range) == 0) return TRUE;
  const int error = errno;
  if (error == EAGAIN || error == EACCES)
    SetLastError(ERROR_LOCK_VIOLATION);  // held through another handle
  else if (error == ENOLCK || error == EINVAL || error == EOPNOTSUPP)
    SetLastError(ERROR_NOT_SUPPORTED);  // no locks on this file system or kernel
  else
    SetLastErrorFromErrno(error);
  return FALSE;
}

}  // namespace

BOOL WINAPI LockFile(HANDLE hFile, DWORD dwFileOffsetLow, DWORD dwFileOffsetHigh,
                     DWORD nNumberOfBytesToLockLow, DWORD nNumberOfBytesToLockHigh) {
  return SetRangeLock(hFile, F_WRLCK, dwFileOffsetLow, dwFileOffsetHigh, nNumberOfBytesToLockLow,
                      nNumberOfBytesToLockHigh);
}

BOOL WINAPI UnlockFile(HANDLE hFile, DWORD dwFileOffsetLow, DWORD dwFileOffsetHigh,
                       DWORD nNumberOfBytesToUnlockLow, DWORD nNumberOfBytesToUnlockHigh) {
  return SetRangeLock(hFile, F_UNLCK, dwFileOffsetLow, dwFileOffsetHigh, nNumberOfBytesToUnlockLow,
                      nNumberOfBytesToUnlockHigh);
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  PosixHandle* object = FromHandle(hObject);
  return object ? object->Close() : FALSE;
}
