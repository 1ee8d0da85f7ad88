// Local dates and times as text, and the arithmetic of the elapsed time and
// the estimated end. Times are counted in whole seconds on the proleptic
// Gregorian calendar, so no platform time-zone rules come in: a local time
// plus a number of seconds is simply the later local time.
#include "fileio/format.h"

namespace modFileIO {
namespace {

const int64_t SecondsPerDay = 86400;

// Days from 1970-01-01 to the given date (negative before it).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

// The inverse of DaysFromCivil.
void CivilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

int64_t ToSeconds(const SYSTEMTIME& time) {
  return DaysFromCivil(time.wYear, time.wMonth, time.wDay) * SecondsPerDay + time.wHour * 3600 +
         time.wMinute * 60 + time.wSecond;
}

std::wstring FourDigits(int64_t value) {
  std::wstring text = FormatTwoDigits(value);
  while (text.size() < 4) text.insert(text.begin(), L'0');
  return text;
}

}  // namespace

std::wstring FormatTimeOfDay(int64_t seconds, const std::wstring& timeSep) {
  const int64_t ofDay = (seconds % SecondsPerDay + SecondsPerDay) % SecondsPerDay;
  return FormatTwoDigits(ofDay / 3600) + timeSep + FormatTwoDigits(ofDay / 60 % 60) + timeSep +
         FormatTwoDigits(ofDay % 60);
}

std::wstring FormatDuration(int64_t seconds, const std::wstring& timeSep) {
  const int64_t whole = seconds < 0 ? 0 : seconds;
  return FormatTwoDigits(whole / 3600) + timeSep + FormatTwoDigits(whole / 60 % 60) + timeSep +
         FormatTwoDigits(whole % 60);
}

std::wstring FormatDateTime(const SYSTEMTIME& time, const std::wstring& timeSep) {
  return FourDigits(time.wYear) + L"-" + FormatTwoDigits(time.wMonth) + L"-" +
         FormatTwoDigits(time.wDay) + L" " +
         FormatTimeOfDay(time.wHour * 3600 + time.wMinute * 60 + time.wSecond, timeSep);
}

int64_t SecondsBetween(const SYSTEMTIME& from, const SYSTEMTIME& to) {
  return ToSeconds(to) - ToSeconds(from);
}

SYSTEMTIME AddSeconds(const SYSTEMTIME& time, int64_t seconds) {
  const int64_t total = ToSeconds(time) + seconds;
  int64_t days = total / SecondsPerDay;
  int64_t ofDay = total % SecondsPerDay;
  if (ofDay < 0) {
    ofDay += SecondsPerDay;
    --days;
  }
  int64_t year = 0;
  unsigned month = 1, day = 1;
  CivilFromDays(days, year, month, day);
  SYSTEMTIME later = {};
  later.wYear = static_cast<WORD>(year);
  later.wMonth = static_cast<WORD>(month);
  later.wDay = static_cast<WORD>(day);
  later.wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  later.wHour = static_cast<WORD>(ofDay / 3600);
  later.wMinute = static_cast<WORD>(ofDay / 60 % 60);
  later.wSecond = static_cast<WORD>(ofDay % 60);
  return later;
}

}  // namespace modFileIO
