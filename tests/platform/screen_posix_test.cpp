// The console's byte processing, as the in-memory screen and the terminal
// share it: control characters, wrap, UTF-8 and the output modes.
#include <gtest/gtest.h>

#include <string>

#include "support/memory_screen.h"

namespace {

class ScreenBytes : public MemoryScreenTest {
 protected:
  void Write(const std::string& bytes) {
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(screen.Output(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    EXPECT_EQ(written, bytes.size());
  }
  std::wstring Start(SHORT row, size_t count) const { return screen.RowText(row).substr(0, count); }
};

}  // namespace

TEST_F(ScreenBytes, ControlCharactersActAsOnTheConsole) {
  Write("ab\bc\tt\a");
  EXPECT_EQ(Start(0, 9), L"ac      t");
  EXPECT_EQ(screen.Cursor().X, 9);
  EXPECT_EQ(screen.Bells(), 1);
  Write("xyz\rX\nq");
  EXPECT_EQ(Start(0, 12), L"Xc      txyz");
  // A line feed alone also returns to column 0, as the console does.
  EXPECT_EQ(Start(1, 1), L"q");
  Write("\r\b");
  EXPECT_EQ(screen.Cursor().X, 0);
}

// Other control characters and C1 controls can't drive a terminal: they show
// as pictures. A file name with an escape character in it stays harmless.
TEST_F(ScreenBytes, OtherControlCharactersAreShownNotObeyed) {
  Write("a\x1b[2Jb\x7f\xc2\x9b");
  EXPECT_EQ(Start(0, 8), L"a\x241B[2Jb\x2421\xFFFD");
}

TEST_F(ScreenBytes, Utf8SplitAcrossWritesAndMalformedBytes) {
  Write("caf\xC3");
  Write("\xA9 \xE2\x95");
  Write("\x94!");
  EXPECT_EQ(Start(0, 6), L"caf\x00E9 \x2554");
  EXPECT_EQ(screen.Cursor().X, 7);
  Write("\r\n\xFF\xC3(\xED\xA0\x80");
  EXPECT_EQ(Start(1, 6), L"\xFFFD\xFFFD(\xFFFD\xFFFD\xFFFD");
}

TEST_F(ScreenBytes, TabStopsAtTheRowEnd) {
  screen.Resize(10, 5);
  Write("123456789\tX");
  EXPECT_EQ(screen.RowText(0), L"123456789 ");
  EXPECT_EQ(Start(1, 1), L"X");
}

TEST_F(ScreenBytes, WithoutWrapTheLastColumnIsOverwritten) {
  ASSERT_TRUE(SetConsoleMode(screen.Output(), ENABLE_PROCESSED_OUTPUT));
  screen.Resize(10, 5);
  Write("0123456789ABC");
  EXPECT_EQ(screen.RowText(0), L"012345678C");
  EXPECT_EQ(screen.Cursor().X, 9);
  EXPECT_EQ(screen.Cursor().Y, 0);
}

TEST_F(ScreenBytes, UnprocessedOutputShowsControlCharacters) {
  ASSERT_TRUE(SetConsoleMode(screen.Output(), ENABLE_WRAP_AT_EOL_OUTPUT));
  Write("a\r\nb");
  EXPECT_EQ(Start(0, 4), L"a\x240D\x240A" L"b");
  DWORD mode = 0;
  ASSERT_TRUE(GetConsoleMode(screen.Output(), &mode));
  EXPECT_EQ(mode, static_cast<DWORD>(ENABLE_WRAP_AT_EOL_OUTPUT));
}

TEST_F(ScreenBytes, ShrinkingTheWindowKeepsTheCursorInside) {
  Write(std::string(70, '-'));
  for (int line = 0; line < 20; ++line) Write("\r\n");
  Write(std::string(70, '-'));
  screen.Resize(40, 10);
  EXPECT_EQ(screen.Cursor().X, 39);
  EXPECT_EQ(screen.Window().Top, 11);
  EXPECT_EQ(screen.Window().Bottom, 20);
  EXPECT_EQ(screen.Window().Right, 39);
}
