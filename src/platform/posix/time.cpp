// Local time, the millisecond tick and sleeping, over POSIX clocks.
#include <sched.h>
#include <cerrno>
#include <ctime>

#include "platform/platform.h"

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local = {};
  localtime_r(&now.tv_sec, &local);
  lpSystemTime->wYear = static_cast<WORD>(local.tm_year + 1900);
  lpSystemTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
  lpSystemTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  lpSystemTime->wDay = static_cast<WORD>(local.tm_mday);
  lpSystemTime->wHour = static_cast<WORD>(local.tm_hour);
  lpSystemTime->wMinute = static_cast<WORD>(local.tm_min);
  // A leap second (tm_sec 60) would be no valid SYSTEMTIME.
  lpSystemTime->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
  lpSystemTime->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

DWORD WINAPI GetTickCount(void) {
  timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Wraps after 49.7 days, as on Windows.
  return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                            static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

void WINAPI Sleep(DWORD dwMilliseconds) {
  // Windows gives up the rest of the time slice and no more; nanosleep would
  // wait out the timer's slack (some 50 microseconds) as well.
  if (dwMilliseconds == 0) {
    sched_yield();
    return;
  }
  timespec wait = {static_cast<time_t>(dwMilliseconds / 1000),
                   static_cast<long>(dwMilliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}
