// GetFileTime and SetFileTime over fstat and futimens: FILETIME counts 100 ns
// from 1601, so nanoseconds are kept to a tenth of a microsecond.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/handle.h"

namespace {

const int64_t SecondsFrom1601To1970 = 11644473600LL;
const int64_t TicksPerSecond = 10000000LL;

}  // namespace

void ToFileTime(const struct timespec& time, FILETIME* target) {
  if (!target) return;
  const uint64_t ticks = static_cast<uint64_t>(
      (static_cast<int64_t>(time.tv_sec) + SecondsFrom1601To1970) * TicksPerSecond +
      time.tv_nsec / 100);
  target->dwLowDateTime = static_cast<DWORD>(ticks);
  target->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

namespace {

// Null leaves the time as it is, as it does on Windows.
struct timespec FromFileTime(const FILETIME* time) {
  struct timespec result = {0, UTIME_OMIT};
  if (!time) return result;
  const int64_t ticks = static_cast<int64_t>(
      static_cast<uint64_t>(time->dwHighDateTime) << 32 | time->dwLowDateTime);
  int64_t seconds = ticks / TicksPerSecond - SecondsFrom1601To1970;
  result.tv_sec = static_cast<time_t>(seconds);
  result.tv_nsec = static_cast<long>(ticks % TicksPerSecond * 100);
  return result;
}

}  // namespace

BOOL WINAPI GetFileTime(HANDLE hFile, FILETIME* lpCreationTime, FILETIME* lpLastAccessTime,
                        FILETIME* lpLastWriteTime) {
  PosixHandle* object = FromHandle(hFile);
  struct stat info;
  if (!object) return FALSE;
  if (::fstat(object->fd, &info) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  ToFileTime(info.st_ctim, lpCreationTime);
  ToFileTime(info.st_atim, lpLastAccessTime);
  ToFileTime(info.st_mtim, lpLastWriteTime);
  return TRUE;
}

BOOL WINAPI SetFileTime(HANDLE hFile, const FILETIME* /*lpCreationTime*/,
                        const FILETIME* lpLastAccessTime, const FILETIME* lpLastWriteTime) {
  PosixHandle* object = FromHandle(hFile);
  if (!object) return FALSE;
  const struct timespec times[2] = {FromFileTime(lpLastAccessTime), FromFileTime(lpLastWriteTime)};
  if (::futimens(object->fd, times) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}
