// Block sizes from the command line: units, rounding, the locale's decimal
// separator, and every size that is refused.
#include <gtest/gtest.h>

#include "driver/modMain.h"
#include "driver/number.h"
#include "fileio/modFileIO.h"

using namespace modMain;

namespace {

int32_t Bytes(const std::wstring& size, const std::wstring& separator = L".") {
  int32_t bytes = -1;
  EXPECT_EQ(ConvertBlockSize(size, separator, bytes), BlockSizeOk) << size;
  return bytes;
}

BlockSizeVerdict Verdict(const std::wstring& size, const std::wstring& separator = L".") {
  int32_t bytes = 0;
  return ConvertBlockSize(size, separator, bytes);
}

int16_t Rounded(const std::wstring& text, const std::wstring& separator = L".") {
  int16_t number = -1;
  EXPECT_EQ(RoundToInt16(text, separator, number), NumberOk) << text;
  return number;
}

// Each text rounds to its number.
void ExpectRounded(std::initializer_list<std::pair<const wchar_t*, int16_t>> cases) {
  for (const auto& [text, number] : cases) EXPECT_EQ(Rounded(text), number) << text;
}

}  // namespace

TEST(RoundToInt16, HalvesGoToTheEvenNeighbour) {
  ExpectRounded({{L"0.5", 0}, {L"1.5", 2}, {L"2.5", 2}, {L"-2.5", -2}, {L"-3.5", -4}});
  // Only an exact half is a tie.
  ExpectRounded(
      {{L"2.500000000000000000001", 3}, {L"2.4999999999999999999999", 2}, {L"2.50000", 2}});
}

TEST(RoundToInt16, ReadsSignsExponentsAndSpaces) {
  ExpectRounded({{L"  +12  ", 12}, {L"-007", -7}, {L"1e3", 1000}, {L"25E-1", 2},
                 {L"0.00015e4", 2}, {L".75", 1}, {L"1e-999999999999999999999", 0},
                 {L"0e999999999999999999999", 0}});
}

TEST(RoundToInt16, RefusesWhatIsNoNumber) {
  int16_t n = 0;
  for (const wchar_t* text : {L"", L" ", L"-", L".", L"1e", L"1e+", L"1.2.3", L"1 2", L"- 1",
                              L"1,5", L"\xFF11", L"0x1", L"1e5x", L"++1"})
    EXPECT_EQ(RoundToInt16(text, L".", n), NumberNotNumeric) << text;
}

TEST(RoundToInt16, RangeIsCheckedAfterRounding) {
  ExpectRounded({{L"32767.4", 32767}, {L"-32768.5", -32768}});
  int16_t n = 0;
  for (const wchar_t* text : {L"32767.5", L"-32768.6", L"1e5", L"99999999999999999999999",
                              L"1e999999999999999999999"})
    EXPECT_EQ(RoundToInt16(text, L".", n), NumberOverflow) << text;
}

TEST(RoundToInt16, DecimalSeparatorIsTheGivenOne) {
  EXPECT_EQ(Rounded(L"2,5", L","), 2);
  EXPECT_EQ(Rounded(L"3,5e1", L","), 35);
  int16_t n = 0;
  EXPECT_EQ(RoundToInt16(L"2.5", L",", n), NumberNotNumeric);
  EXPECT_EQ(Rounded(L"7\x066B" L"5", L"\x066B"), 8);  // Arabic decimal separator
}

TEST(ConvertBlockSize, UnitsAndTheirLimits) {
  const std::pair<const wchar_t*, int32_t> sizes[] = {
      {L"64K", 65536},       {L"512b", 512},   {L"32767B", 32767}, {L"32767K", 33553408},
      {L"2047M", 2146435072}, {L"1.5K", 2048},  {L"2.5k", 2048}};
  for (const auto& [size, bytes] : sizes) EXPECT_EQ(Bytes(size), bytes) << size;
  EXPECT_EQ(Bytes(L"0,6B", L","), 1);
}

TEST(ConvertBlockSize, OverflowIsReportedAsSuch) {
  for (const wchar_t* size :
       {L"32768K", L"32768B", L"2048M", L"-2049M", L"-32769K", L"1e9K", L"2047.5M"})
    EXPECT_EQ(Verdict(size), BlockSizeOverflow) << size;
}

TEST(ConvertBlockSize, ZeroAndNegativeSizesAreRefused) {
  for (const wchar_t* size : {L"0K", L"-64K", L"0.4B", L"-0M", L"-2048M", L"-32768K", L"0.5B"})
    EXPECT_EQ(Verdict(size), BlockSizeNotPositive) << size;
}

TEST(SetBufferBytes, SetsTheBlockSizeOrLeavesItAlone) {
  ASSERT_TRUE(SetBufferBytes(L"64K"));
  EXPECT_EQ(modFileIO::BufferBytes, 65536);
  for (const wchar_t* refused : {L"0K", L"-64K", L"32768K", L"2048M", L"-2049M", L"64X"}) {
    EXPECT_FALSE(SetBufferBytes(refused)) << refused;
    EXPECT_EQ(modFileIO::BufferBytes, 65536) << refused;
  }
  ASSERT_TRUE(SetBufferBytes(L"2047M"));
  EXPECT_EQ(modFileIO::BufferBytes, 2146435072);
}

TEST(PathsUsable, PathWithoutAnExactFormIsRefused) {
  CopyParams p;
  p.Source = L"C:\\images\\disk one.img";
  p.Dest = L"D:\\backup\\disk-1.img";
  EXPECT_TRUE(PathsUsable(p));
  // A lone surrogate has no form in any code page, in either path.
  p.Dest = std::wstring(L"out") + static_cast<wchar_t>(0xD800) + L".img";
  EXPECT_FALSE(PathsUsable(p));
  std::swap(p.Source, p.Dest);
  EXPECT_FALSE(PathsUsable(p));
}
