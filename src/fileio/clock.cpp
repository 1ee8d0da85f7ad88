// The local date and time and the millisecond tick, both replaceable for tests.
#include "fileio/modFileIO.h"
#include "fileio/testing.h"

namespace modFileIO {
namespace {
void SystemClock(SYSTEMTIME& now) { GetLocalTime(&now); }
DWORD SystemTick() { return GetTickCount(); }
void (*ClockSource)(SYSTEMTIME&) = SystemClock;
DWORD (*TickSource)() = SystemTick;
}  // namespace

void CurrentLocalTime(SYSTEMTIME& now) { ClockSource(now); }

void SetClockSource(void (*source)(SYSTEMTIME& now)) {
  ClockSource = source ? source : SystemClock;
}

DWORD CurrentTickCount() { return TickSource(); }

void SetTickSource(DWORD (*source)()) { TickSource = source ? source : SystemTick; }
}  // namespace modFileIO
