// The POSIX handle object and the errno to Win32 error mapping.
#include "platform/posix/handle.h"

#include <cerrno>
#include <unistd.h>

PosixHandle::~PosixHandle() = default;

BOOL PosixHandle::Read(void* buffer, DWORD size, DWORD* done) {
  if (done) *done = 0;
  ssize_t got;
  do {
    got = ::read(fd, buffer, size);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  if (done) *done = static_cast<DWORD>(got);
  return TRUE;
}

BOOL PosixHandle::Write(const void* buffer, DWORD size, DWORD* done) {
  if (done) *done = 0;
  DWORD total = 0;
  while (total < size) {
    const ssize_t put = ::write(fd, static_cast<const char*>(buffer) + total, size - total);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      if (done) *done = total;
      SetLastErrorFromErrno(errno);
      return FALSE;
    }
    total += static_cast<DWORD>(put);
  }
  if (done) *done = total;
  return TRUE;
}

BOOL PosixHandle::Close() {
  const int result = fd >= 0 ? ::close(fd) : 0;
  const int error = errno;
  delete this;
  if (result != 0 && error != EINTR) {
    SetLastErrorFromErrno(error);
    return FALSE;
  }
  return TRUE;
}

PosixHandle* FromHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return static_cast<PosixHandle*>(handle);
}

DWORD Win32ErrorFromErrno(int error) {
  switch (error) {
    case 0: return NO_ERROR;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ENOSPC: return ERROR_DISK_FULL;
    case EDQUOT: return ERROR_DISK_QUOTA_EXCEEDED;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case EIO: return ERROR_IO_DEVICE;
    default: return ERROR_GEN_FAILURE;
  }
}

void SetLastErrorFromErrno(int error) { SetLastError(Win32ErrorFromErrno(error)); }
