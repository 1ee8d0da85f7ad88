// Text forms of numbers, dates and times for the progress screen, the
// date-time arithmetic behind them, and the small text helpers the box needs.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace modFileIO {

// The user's separators: of thousands ("#,##0"), of decimals (percentages)
// and of hours, minutes and seconds.
struct LocaleSeparators {
  std::wstring Thousands;
  std::wstring Decimal;
  std::wstring Time;
};

// The separators of the user's locale; any the locale can't give, or gives
// empty, are ",", "." and ":" (so numbers are always grouped). Tests fix
// them (see testing.h).
LocaleSeparators UserSeparators();

// ---- Numbers ----------------------------------------------------------------

// Nearest integer, ties to even, limited to the 32-bit range (NaN gives 0).
int32_t RoundToInt32(double value);
// "#,##0": digits grouped by three, a leading minus sign when negative.
std::wstring FormatGrouped(int64_t value, const std::wstring& thousands);
// The fraction rounded to four decimal places (ties to even), shown as a
// percentage with exactly two decimals: 0.30517578125 gives "30.52%".
std::wstring FormatPercent(double fraction, const std::wstring& decimal);
// "00": at least two digits, zero-filled, a leading minus sign when negative.
std::wstring FormatTwoDigits(int64_t value);
// Hours (not wrapping at 24), minutes and seconds, each "00", joined by ":";
// every part of a negative count carries its sign (-3903 gives -01:-05:-03).
std::wstring FormatRemaining(int32_t seconds);

// ---- Dates and times ----------------------------------------------------------

// "yyyy-mm-dd hh:mm:ss" with the user's time separator.
std::wstring FormatDateTime(const SYSTEMTIME& time, const std::wstring& timeSep);
// "hh:mm:ss" of a count of seconds as a time of day: hours start again at 00
// after 24 hours.
std::wstring FormatTimeOfDay(int64_t seconds, const std::wstring& timeSep);
// A duration as "hh:mm:ss" with the user's time separator; hours go on past
// 24 (a copy that has run 25 h 7 s shows 25:00:07).
std::wstring FormatDuration(int64_t seconds, const std::wstring& timeSep);
// Whole seconds from `from` to `to` (milliseconds ignored); negative when
// `to` lies before `from`.
int64_t SecondsBetween(const SYSTEMTIME& from, const SYSTEMTIME& to);
// The date and time `seconds` later (earlier when negative), milliseconds 0.
SYSTEMTIME AddSeconds(const SYSTEMTIME& time, int64_t seconds);

// ---- Text on the screen -------------------------------------------------------

// A row or column as the console's 16-bit coordinate, held at its limits.
int16_t ToCell(int position);
// The text with control characters (C0, DEL, C1) and bidirectional controls
// shown as '?', so a name can never move the cursor, reach the terminal as a
// command or reorder what is shown.
std::wstring Printable(const std::wstring& text);
// The text if it takes at most `columns` columns; otherwise "..." and as much
// of its end as fits (just its end when not even "..." fits).
std::wstring FitFromEnd(const std::wstring& text, int columns);

}  // namespace modFileIO
