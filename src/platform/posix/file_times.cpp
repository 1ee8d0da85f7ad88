// GetFileTime and SetFileTime over fstat and futimens. FILETIME counts 100 ns
// from 1601, but a copy must get its source's time to the nanosecond, or
// make, cp -u and `[ src -nt copy ]` take the copy for an older file: the
// exact times behind the last FILETIMEs handed out are remembered, and
// SetFileTime given one of those values sets the exact time again.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <mutex>

#include "platform/platform.h"
#include "platform/posix/handle.h"

namespace {

const int64_t SecondsFrom1601To1970 = 11644473600LL;
const int64_t TicksPerSecond = 10000000LL;

uint64_t Ticks(const FILETIME& time) {
  return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// The exact times behind recent FILETIMEs, newest over oldest. A few are
// enough: a caller sets a time it has just read.
struct ExactTime {
  uint64_t ticks;
  struct timespec time;
};
const int RememberedTimes = 8;
ExactTime remembered[RememberedTimes] = {};
int nextRemembered = 0;
std::mutex rememberedLock;

void Remember(uint64_t ticks, const struct timespec& time) {
  if (time.tv_nsec % 100 == 0) return;  // the FILETIME itself is exact
  std::lock_guard<std::mutex> hold(rememberedLock);
  remembered[nextRemembered] = {ticks, time};
  nextRemembered = (nextRemembered + 1) % RememberedTimes;
}

// Only a value equal to one handed out has its exact time back: a FILETIME
// the caller made or changed itself means just what it says.
bool Recall(uint64_t ticks, struct timespec& time) {
  std::lock_guard<std::mutex> hold(rememberedLock);
  for (int age = 1; age <= RememberedTimes; ++age) {
    const ExactTime& entry =
        remembered[(nextRemembered - age + RememberedTimes) % RememberedTimes];
    // An unused entry has no nanoseconds, which no remembered time lacks.
    if (entry.ticks != ticks || entry.time.tv_nsec == 0) continue;
    time = entry.time;
    return true;
  }
  return false;
}

}  // namespace

void ToFileTime(const struct timespec& time, FILETIME* target) {
  if (!target) return;
  const uint64_t ticks = static_cast<uint64_t>(
      (static_cast<int64_t>(time.tv_sec) + SecondsFrom1601To1970) * TicksPerSecond +
      time.tv_nsec / 100);
  target->dwLowDateTime = static_cast<DWORD>(ticks);
  target->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  Remember(ticks, time);
}

namespace {

// Null leaves the time as it is, as it does on Windows.
struct timespec FromFileTime(const FILETIME* time) {
  struct timespec result = {0, UTIME_OMIT};
  if (!time) return result;
  if (Recall(Ticks(*time), result)) return result;
  const int64_t ticks = static_cast<int64_t>(Ticks(*time));
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
