// The clocks the progress screen reads, and their replacement by tests.
#include <gtest/gtest.h>

#include <ctime>

#include "fileio/testing.h"
#include "fileio/modFileIO.h"
#include "support/progress_time.h"

using namespace modFileIO;

namespace {
void FixedClock(SYSTEMTIME& now) { now = Time(2024, 3, 1, 0, 0, 0); }
DWORD FixedTick() { return 12345; }
}  // namespace

TEST(ProgressClock, SystemClockAndTickAdvanceAndCanBeReplaced) {
  SYSTEMTIME before = {}, after = {};
  CurrentLocalTime(before);
  const DWORD tick = CurrentTickCount();
  Sleep(60);
  CurrentLocalTime(after);
  const DWORD passed = CurrentTickCount() - tick;
  EXPECT_GE(passed, 30u);  // Windows ticks in steps of about 16 ms
  EXPECT_LT(passed, 5000u);
  EXPECT_GE(before.wYear, 2024);
  // The weekday agrees with the date.
  EXPECT_EQ(AddSeconds(before, 0).wDayOfWeek, before.wDayOfWeek);
  const int64_t seconds = SecondsBetween(before, after);
  EXPECT_GE(seconds, 0);
  EXPECT_LE(seconds, 5);

  SetClockSource(FixedClock);
  SetTickSource(FixedTick);
  CurrentLocalTime(after);
  EXPECT_EQ(FormatDateTime(after, L":"), L"2024-03-01 00:00:00");
  EXPECT_EQ(CurrentTickCount(), 12345u);
  SetClockSource(nullptr);
  SetTickSource(nullptr);
  CurrentLocalTime(after);
  EXPECT_GE(after.wYear, 2024);
  EXPECT_NE(CurrentTickCount(), 12345u);
}
