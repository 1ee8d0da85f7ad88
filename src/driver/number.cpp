// Numbers as the user writes them: a decimal with the locale's separator,
// taken apart exactly and rounded ties-to-even into the range asked for, so
// that "1.5M" and "1,5M" mean the same block size in their locales.
#include "driver/number.h"

#include <vector>

#include "platform/platform.h"
#include "platform/textconv.h"

namespace modMain {

namespace {

// A number taken apart: value = sign * 0.Digits * 10^Point, with Digits free
// of leading and trailing zeros (empty for zero).
struct Decimal {
  bool Negative = false;
  std::wstring Digits;
  int64_t Point = 0;
};

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

size_t SkipSpaces(const std::wstring& text, size_t i) {
  while (i < text.size() && text[i] == L' ') ++i;
  return i;
}

size_t TakeDigits(const std::wstring& text, size_t i, std::wstring& digits) {
  while (i < text.size() && IsDigit(text[i])) digits += text[i++];
  return i;
}

// Reads the exponent's digits, saturating far beyond any value that could
// still matter, so that no length of input overflows the arithmetic.
size_t TakeExponent(const std::wstring& text, size_t i, int64_t& exponent, bool& any) {
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  exponent = 0;
  any = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    any = true;
    if (exponent < 1000000000) exponent = exponent * 10 + (text[i] - L'0');
  }
  if (negative) exponent = -exponent;
  return i;
}

bool Parse(const std::wstring& text, const std::wstring& separator, Decimal& number) {
  const std::wstring sep = separator.empty() ? std::wstring(L".") : separator;
  size_t i = SkipSpaces(text, 0);
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) number.Negative = text[i++] == L'-';
  std::wstring whole;
  std::wstring fraction;
  i = TakeDigits(text, i, whole);
  if (text.compare(i, sep.size(), sep) == 0) i = TakeDigits(text, i + sep.size(), fraction);
  if (whole.empty() && fraction.empty()) return false;
  int64_t exponent = 0;
  if (i < text.size() && (text[i] == L'E' || text[i] == L'e')) {
    bool any = false;
    i = TakeExponent(text, i + 1, exponent, any);
    if (!any) return false;
  }
  if (SkipSpaces(text, i) != text.size()) return false;

  std::wstring digits = whole + fraction;
  int64_t point = static_cast<int64_t>(whole.size()) + exponent;
  const size_t lead = digits.find_first_not_of(L'0');
  if (lead == std::wstring::npos) {
    digits.clear();
    point = 0;
  } else {
    digits.erase(0, lead);
    point -= static_cast<int64_t>(lead);
    digits.erase(digits.find_last_not_of(L'0') + 1);
  }
  number.Digits = digits;
  number.Point = point;
  return true;
}

// Magnitude rounded to a whole number, halves to even; false when it is
// beyond anything a 16-bit number could hold.
bool RoundMagnitude(const Decimal& number, int32_t& magnitude) {
  magnitude = 0;
  if (number.Digits.empty() || number.Point < 0) return true;  // below 0.1
  if (number.Point > 5) return false;                          // 100000 or more
  const size_t point = static_cast<size_t>(number.Point);
  for (size_t k = 0; k < point; ++k)
    magnitude = magnitude * 10 + (k < number.Digits.size() ? number.Digits[k] - L'0' : 0);
  if (point >= number.Digits.size()) return true;  // no fraction
  const wchar_t first = number.Digits[point];
  // Trailing zeros are gone, so any digit after the first fraction digit
  // makes the fraction more than a half when that digit is 5.
  const bool moreThanHalf = first > L'5' || (first == L'5' && number.Digits.size() > point + 1);
  const bool half = first == L'5' && number.Digits.size() == point + 1;
  if (moreThanHalf || (half && magnitude % 2 != 0)) ++magnitude;
  return true;
}

}  // namespace

std::wstring UserDecimalSeparator() {
  const int size = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, nullptr, 0);
  if (size <= 1) return L".";
  std::vector<char> buffer(static_cast<size_t>(size));
  const int got = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer.data(), size);
  if (got <= 1) return L".";
  return FromAnsi(std::string(buffer.data(), static_cast<size_t>(got - 1)));
}

NumberVerdict RoundToInt16(const std::wstring& text, const std::wstring& decimalSeparator,
                           int16_t& number) {
  Decimal parsed;
  if (!Parse(text, decimalSeparator, parsed)) return NumberNotNumeric;
  int32_t magnitude = 0;
  if (!RoundMagnitude(parsed, magnitude)) return NumberOverflow;
  const int32_t value = parsed.Negative ? -magnitude : magnitude;
  if (value < INT16_MIN || value > INT16_MAX) return NumberOverflow;
  number = static_cast<int16_t>(value);
  return NumberOk;
}

BlockSizeVerdict ConvertBlockSize(const std::wstring& bufsize, const std::wstring& decimalSeparator,
                                  int32_t& bytes) {
  if (bufsize.empty()) return BlockSizeNotSize;
  const wchar_t suffix = bufsize.back();
  int32_t unit = 0;
  if (suffix == L'B' || suffix == L'b') unit = 1;
  if (suffix == L'K' || suffix == L'k') unit = 1024;
  if (suffix == L'M' || suffix == L'm') unit = 1048576;
  if (unit == 0) return BlockSizeNotSize;
  int16_t number = 0;
  switch (RoundToInt16(bufsize.substr(0, bufsize.size() - 1), decimalSeparator, number)) {
    case NumberNotNumeric:
      return BlockSizeNotSize;
    case NumberOverflow:
      return BlockSizeOverflow;
    case NumberOk:
      break;
  }
  // 2048M and beyond no longer fit the signed 32-bit byte count.
  if (unit == 1048576 && (number < -2048 || number > 2047)) return BlockSizeOverflow;
  const int32_t size = number * unit;
  if (size <= 0) return BlockSizeNotPositive;
  bytes = size;
  return BlockSizeOk;
}

}  // namespace modMain
