// The local date and time, replaceable for tests.
#include "fileio/modFileIO.h"

namespace modFileIO {
namespace {
void SystemClock(SYSTEMTIME& now) { GetLocalTime(&now); }
void (*ClockSource)(SYSTEMTIME&) = SystemClock;
}  // namespace

void CurrentLocalTime(SYSTEMTIME& now) { ClockSource(now); }

void SetClockSource(void (*source)(SYSTEMTIME& now)) {
  ClockSource = source ? source : SystemClock;
}
}  // namespace modFileIO
