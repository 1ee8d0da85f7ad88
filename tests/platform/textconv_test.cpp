// Text conversion on either system: exact paths, lenient display text.
#include <gtest/gtest.h>

#include "platform/textconv.h"

TEST(TextConv, AsciiPathsRoundTrip) {
  std::string ansi;
  ASSERT_TRUE(PathToAnsi(L"C:\\images\\disk one.img", ansi));
  EXPECT_EQ(ansi, "C:\\images\\disk one.img");
  EXPECT_EQ(FromAnsi(ansi), L"C:\\images\\disk one.img");
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

TEST(TextConv, EmptyTextConvertsToNothing) {
  std::string ansi = "x";
  EXPECT_TRUE(PathToAnsi(L"", ansi));
  EXPECT_TRUE(ansi.empty());
  EXPECT_EQ(FromAnsi(""), L"");
}
