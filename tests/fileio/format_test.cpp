// The progress box's number, percentage, date and time texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>

#include "fileio/format.h"
#include "fileio/testing.h"
#include "support/progress_time.h"

using namespace modFileIO;

TEST(Format, GroupsThousandsWithTheGivenSeparator) {
  const std::tuple<int64_t, const wchar_t*, const wchar_t*> cases[] = {
      {0, L",", L"0"}, {1000, L",", L"1,000"}, {-1234567, L",", L"-1,234,567"},
      {1310720000, L".", L"1.310.720.000"}, {1234567, L"\x202F", L"1\x202F" L"234\x202F" L"567"},
      {INT64_MIN, L",", L"-9,223,372,036,854,775,808"}};
  for (const auto& [number, separator, text] : cases) EXPECT_EQ(FormatGrouped(number, separator), text);
}

TEST(Format, PercentRoundsToFourPlacesTiesToEven) {
  EXPECT_EQ(FormatPercent(1310720000.0 / 4294967296.0, L"."), L"30.52%");
  // 1/32 and 3/32 are exact binary fractions sitting on a tie at the fifth place.
  EXPECT_EQ(FormatPercent(1.0 / 32, L"."), L"3.12%");
  EXPECT_EQ(FormatPercent(3.0 / 32, L"."), L"9.38%");
  EXPECT_EQ(FormatPercent(0.00003125, L"."), L"0.00%");
  EXPECT_EQ(FormatPercent(1, L","), L"100,00%");
  EXPECT_EQ(FormatPercent(1.0305, L"."), L"103.05%");  // the source grew
  EXPECT_EQ(FormatPercent(-0.5, L"."), L"-50.00%");
  EXPECT_EQ(FormatPercent(std::nan(""), L"."), L"0.00%");
  EXPECT_EQ(FormatPercent(1e300, L"."), L"10000000000000000.00%");  // held, no overflow
}

TEST(Format, RoundsToInt32TiesToEvenAndClamps) {
  const std::pair<double, int32_t> cases[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {45.536, 46}, {1e10, INT32_MAX}, {-1e10, INT32_MIN},
      {std::numeric_limits<double>::infinity(), INT32_MAX}, {std::nan(""), 0}};
  for (const auto& [value, rounded] : cases) EXPECT_EQ(RoundToInt32(value), rounded) << value;
}

TEST(Format, TwoDigitsAndRemainingTime) {
  const std::pair<int, const wchar_t*> digits[] = {{0, L"00"}, {7, L"07"}, {100, L"100"}, {-3, L"-03"}};
  for (const auto& [number, text] : digits) EXPECT_EQ(FormatTwoDigits(number), text);
  // Hours never wrap.
  const std::pair<int32_t, const wchar_t*> remaining[] = {
      {46, L"00:00:46"},       {100 * 3600, L"100:00:00"}, {100 * 3600 - 1, L"99:59:59"},
      {-3903, L"-01:-05:-03"}, {-59, L"00:00:-59"},       {INT32_MAX, L"596523:14:07"}};
  for (const auto& [seconds, text] : remaining) EXPECT_EQ(FormatRemaining(seconds), text);
}

TEST(Format, DatesAndTimesOfDay) {
  EXPECT_EQ(FormatDateTime(Time(2024, 3, 1, 9, 15, 2), L":"), L"2024-03-01 09:15:02");
  EXPECT_EQ(FormatDateTime(Time(999, 12, 31, 23, 59, 59), L"."), L"0999-12-31 23.59.59");
  EXPECT_EQ(FormatTimeOfDay(25 * 3600, L":"), L"01:00:00");  // elapsed hours wrap at 24
  EXPECT_EQ(FormatTimeOfDay(24 * 3600 - 1, L"."), L"23.59.59");
  // A duration's hours go on past a day.
  EXPECT_EQ(FormatDuration(25 * 3600 + 7, L":"), L"25:00:07");
  EXPECT_EQ(FormatDuration(59, L"."), L"00.00.59");
}

TEST(Format, DateTimeArithmeticAcrossMonthsYearsAndLeapDays) {
  EXPECT_EQ(SecondsBetween(Time(2024, 2, 28, 23, 59, 59), Time(2024, 3, 1, 0, 0, 0)), 86401);
  EXPECT_EQ(SecondsBetween(Time(2023, 2, 28, 23, 59, 59), Time(2023, 3, 1, 0, 0, 0)), 1);
  EXPECT_EQ(SecondsBetween(Time(2024, 12, 31, 23, 0, 0), Time(2025, 1, 1, 0, 0, 0)), 3600);
  EXPECT_EQ(SecondsBetween(Time(2024, 3, 1, 9, 15, 22), Time(2024, 3, 1, 9, 15, 2)), -20);
  SYSTEMTIME withMillis = Time(2024, 3, 1, 9, 15, 2);
  withMillis.wMilliseconds = 999;
  EXPECT_EQ(SecondsBetween(withMillis, Time(2024, 3, 1, 9, 15, 3)), 1);

  const SYSTEMTIME base = Time(2024, 3, 1, 9, 15, 22);
  EXPECT_EQ(FormatDateTime(AddSeconds(base, 46), L":"), L"2024-03-01 09:16:08");
  EXPECT_EQ(FormatDateTime(AddSeconds(base, -3903), L":"), L"2024-03-01 08:10:19");
  EXPECT_EQ(FormatDateTime(AddSeconds(Time(2024, 2, 28, 23, 0, 0), 3600), L":"),
            L"2024-02-29 00:00:00");
  const SYSTEMTIME distant = AddSeconds(base, INT32_MAX);
  EXPECT_EQ(FormatDateTime(distant, L":"), L"2092-03-19 12:29:29");
  EXPECT_EQ(distant.wDayOfWeek, 3);  // a Wednesday
  EXPECT_EQ(FormatDateTime(AddSeconds(base, INT32_MIN), L":"), L"1956-02-12 06:01:14");
  EXPECT_EQ(AddSeconds(base, 0).wDayOfWeek, 5);  // 2024-03-01 was a Friday
}

TEST(Format, ScreenTextHelpers) {
  EXPECT_EQ(TextColumns(L"caf\x00E9"), 4);
  // An emoji takes two cells: wide on a terminal, two UTF-16 units on a Windows console.
  EXPECT_EQ(TextColumns(L"a\U0001F600b"), 4);
  EXPECT_EQ(Printable(L"a\tb\nc\x1B[2Jd\x7F\x9B"), L"a?b?c?[2Jd??");
  // Bidirectional controls would make a name read as another.
  EXPECT_EQ(Printable(L"a\x202E" L"gpj.exe\x200E\x200F\x202A\x2066\x2069" L"b\x200D"),
            L"a?gpj.exe?????b\x200D");
  const std::pair<int, const wchar_t*> fits[] = {
      {18, L"E:\\backup\\disk.img"}, {12, L"...\\disk.img"}, {3, L"img"}, {0, L""}};
  for (const auto& [columns, text] : fits) EXPECT_EQ(FitFromEnd(L"E:\\backup\\disk.img", columns), text);
}

TEST(Format, SeparatorsAlwaysHaveAValueAndCanBeFixed) {
  const LocaleSeparators user = UserSeparators();
  EXPECT_FALSE(user.Thousands.empty());
  EXPECT_FALSE(user.Decimal.empty());
  EXPECT_FALSE(user.Time.empty());
  const LocaleSeparators german = {L".", L",", L":"};
  FixSeparators(&german);
  EXPECT_EQ(UserSeparators().Thousands, L".");
  EXPECT_EQ(UserSeparators().Decimal, L",");
  FixSeparators(nullptr);
  EXPECT_EQ(UserSeparators().Thousands, user.Thousands);
}
