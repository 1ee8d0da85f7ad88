// Text conversion on POSIX, where the ANSI code page is UTF-8.
#include <gtest/gtest.h>

#include "platform/textconv.h"

TEST(TextConvPosix, AnsiIsUtf8) {
  std::string ansi;
  ASSERT_TRUE(PathToAnsi(L"caf\xE9 \x2554\x2550", ansi));
  EXPECT_EQ(ansi, "caf\xC3\xA9 \xE2\x95\x94\xE2\x95\x90");
  EXPECT_EQ(FromAnsi(ansi), L"caf\xE9 \x2554\x2550");
}

TEST(TextConvPosix, MalformedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(FromAnsi("a\xFF" "b"), L"a\xFFFD" L"b");
  EXPECT_EQ(FromAnsi("\xC3"), L"\xFFFD");          // truncated sequence
  EXPECT_EQ(FromAnsi("\xC0\xAF").find(L'/'), std::wstring::npos);  // overlong slash
}

TEST(TextConvPosix, LoneSurrogateIsNoPath) {
  std::string ansi;
  EXPECT_FALSE(PathToAnsi(std::wstring(1, static_cast<wchar_t>(0xD800)), ansi));
}
