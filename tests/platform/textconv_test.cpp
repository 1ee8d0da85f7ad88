// Text conversion on either system: exact paths, lenient display text.
#include <gtest/gtest.h>

#include "platform/textconv.h"

// An ASCII path, and the empty text that converts to nothing.
TEST(TextConv, AsciiPathsAndEmptyTextRoundTrip) {
  for (const auto& [wide, bytes] : {std::pair<const wchar_t*, const char*>{
                                        L"C:\\images\\disk one.img", "C:\\images\\disk one.img"},
                                    {L"", ""}}) {
    std::string ansi = "x";
    ASSERT_TRUE(PathToAnsi(wide, ansi)) << bytes;
    EXPECT_EQ(ansi, bytes);
    EXPECT_EQ(FromAnsi(ansi), wide);
  }
}

TEST(TextConv, LookAlikesAreNeverMadeOfAPath) {
  // A fullwidth quote must not become a real quote, a division slash not a
  // slash: either the path converts exactly or it is refused.
  for (const wchar_t* path : {L"a\xFF02" L"b", L"dir\x2215" L"file"}) {
    std::string ansi;
    if (PathToAnsi(path, ansi)) {
      EXPECT_EQ(ansi.find('"'), std::string::npos);
      EXPECT_EQ(ansi.find('/'), std::string::npos);
      EXPECT_EQ(FromAnsi(ansi), path);
    }
  }
}

namespace {

// A Latin-1 code page as Windows 95 and NT 4.0 convert it: they refuse
// WC_NO_BEST_FIT_CHARS, and best-fit a fullwidth letter or quote to ASCII.
int Refused = 0;
int WINAPI OldWideToBytes(UINT, DWORD flags, LPCWSTR wide, int count, LPSTR bytes, int size,
                          LPCSTR, LPBOOL usedDefault) {
  if (flags & WC_NO_BEST_FIT_CHARS) {
    ++Refused;
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  for (int i = 0; i < count; ++i) {
    wchar_t c = wide[i];
    if (c >= 0xFF01 && c <= 0xFF5E) c = static_cast<wchar_t>(c - 0xFEE0);
    if (c > 0xFF) {
      c = L'?';
      if (usedDefault) *usedDefault = TRUE;
    }
    if (size > 0) bytes[i] = static_cast<char>(c);
  }
  return count;
}
int WINAPI Latin1ToWide(UINT, DWORD, LPCSTR bytes, int size, LPWSTR wide, int count) {
  for (int i = 0; i < size && count > 0; ++i) wide[i] = static_cast<unsigned char>(bytes[i]);
  return size;
}

}  // namespace

TEST(TextConv, WhereTheFlagIsRefusedTheRoundTripStillDecides) {
  TextCalls& calls = TextPlatform();
  const TextCalls saved = calls;
  calls = TextCalls{&OldWideToBytes, &Latin1ToWide};
  const UINT latin1 = 28591;
  std::string bytes;
  const bool plain = WideToCodePage(L"caf\xE9.img", latin1, bytes, true);
  const std::string plainBytes = bytes;
  const bool lookAlike = WideToCodePage(L"a\xFF02" L"b", latin1, bytes, true);
  const bool unmapped = WideToCodePage(L"\x4E2D.img", latin1, bytes, true);
  calls = saved;
  EXPECT_TRUE(plain) << "a path is not refused because the system refused the flag";
  EXPECT_EQ(plainBytes, "caf\xE9.img");
  EXPECT_FALSE(lookAlike) << "a fullwidth quote best-fitted to a real one";
  EXPECT_FALSE(unmapped);
  EXPECT_GE(Refused, 3);
}
