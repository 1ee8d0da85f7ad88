// Number formats, the user's separators and the screen's text helpers.
#include "fileio/format.h"
#include "fileio/testing.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/textconv.h"

namespace modFileIO {
namespace {

const LocaleSeparators* FixedSeparators = nullptr;

// One separator from the user's locale, or `fallback` when the locale
// can't or won't say.
std::wstring LocaleText(LCTYPE type, const wchar_t* fallback) {
  char buffer[16] = {};
  const int count = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  if (count <= 1 || count > static_cast<int>(sizeof buffer)) return fallback;
  const std::string bytes(buffer, std::find(buffer, buffer + count, '\0'));
  const std::wstring text = Printable(FromAnsi(bytes));
  return text.empty() ? std::wstring(fallback) : text;
}

// Decimal digits of a magnitude.
std::wstring Digits(uint64_t magnitude) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  return digits;
}

uint64_t Magnitude(int64_t value) {
  return value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
}

}  // namespace

LocaleSeparators UserSeparators() {
  if (FixedSeparators) return *FixedSeparators;
  // Asked once per run: the user's locale doesn't change during a copy, and
  // on POSIX every question loads the locale afresh, which a refresh of the
  // box can't afford.
  static const LocaleSeparators user{LocaleText(LOCALE_STHOUSAND, L","),
                                     LocaleText(LOCALE_SDECIMAL, L"."),
                                     LocaleText(LOCALE_STIME, L":")};
  return user;
}

void FixSeparators(const LocaleSeparators* fixed) { FixedSeparators = fixed; }

int32_t RoundToInt32(double value) {
  if (std::isnan(value)) return 0;
  const double rounded = std::nearbyint(value);
  if (rounded >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (rounded <= static_cast<double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(rounded);
}

std::wstring FormatGrouped(int64_t value, const std::wstring& thousands) {
  const std::wstring digits = Digits(Magnitude(value));
  std::wstring text = value < 0 ? L"-" : L"";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += thousands;
    text += digits[i];
  }
  return text;
}

std::wstring FormatPercent(double fraction, const std::wstring& decimal) {
  // Hundredths of a percent; a fraction beyond any real byte count's is held
  // at a bound rather than overflowing the integer.
  const double limit = 1e18;
  double hundredths = std::nearbyint(fraction * 10000.0);
  if (std::isnan(hundredths)) hundredths = 0;
  if (hundredths > limit) hundredths = limit;
  if (hundredths < -limit) hundredths = -limit;
  const int64_t whole = static_cast<int64_t>(hundredths);
  const uint64_t magnitude = Magnitude(whole);
  const std::wstring cents = Digits(magnitude % 100);
  return std::wstring(whole < 0 ? L"-" : L"") + Digits(magnitude / 100) + decimal +
         (cents.size() < 2 ? L"0" : L"") + cents + L"%";
}

std::wstring FormatTwoDigits(int64_t value) {
  const std::wstring digits = Digits(Magnitude(value));
  return std::wstring(value < 0 ? L"-" : L"") + (digits.size() < 2 ? L"0" : L"") + digits;
}

std::wstring FormatRemaining(int32_t seconds) {
  // C++ division truncates toward zero and the remainder takes the dividend's
  // sign, so each part of a negative count is negative.
  return FormatTwoDigits(seconds / 3600) + L":" + FormatTwoDigits(seconds % 3600 / 60) + L":" +
         FormatTwoDigits(seconds % 60);
}

int16_t ToCell(int position) { return static_cast<int16_t>(std::clamp(position, -32768, 32767)); }

namespace {
// The bidirectional embeddings, overrides, isolates and marks: in a name
// they reorder what the terminal shows, so that one name reads as another.
bool IsBidiControl(wchar_t c) {
  return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
         c == 0x200F;
}
}  // namespace

std::wstring Printable(const std::wstring& text) {
  std::wstring shown = text;
  for (wchar_t& c : shown)
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || IsBidiControl(c)) c = L'?';
  return shown;
}

std::wstring FitFromEnd(const std::wstring& text, int columns) {
  if (TextColumns(text) <= columns) return text;
  const std::wstring dots = columns > 3 ? L"..." : L"";
  const int room = columns - TextColumns(dots);
  size_t start = text.size();
  for (int taken = 0; start > 0;) {
    size_t next = start - 1;
    if (IsLowSurrogate(text[next]) && next > 0) --next;  // keep a pair whole
    const int width = TextColumns(text.substr(next, start - next));
    if (taken + width > room) break;
    taken += width;
    start = next;
  }
  return dots + text.substr(start);
}

}  // namespace modFileIO
