// Con's output operations on a console, observed through the console's own
// calls, and on a standard output that is not a console.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/Con.h"
#include "console/ConOutputCalls.h"
#include "console/ConState.h"
#include "support/con_output_rig.h"

namespace {

WORD CurrentAttribute() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  GetConsoleScreenBufferInfo(Con::hConOut, &info);
  return info.wAttributes;
}

void SetAttribute(WORD attribute) { SetConsoleTextAttribute(Con::hConOut, attribute); }

// The system's own console, when the test program has one.
struct SystemConsole {
  HANDLE console = INVALID_HANDLE_VALUE;
  HANDLE savedOut = nullptr;
  HANDLE savedErr = nullptr;
  WORD savedAttribute = 0;
} System;

// The console's screen buffer, or INVALID_HANDLE_VALUE.
HANDLE OpenConsoleOutput(CONSOLE_SCREEN_BUFFER_INFO& info) {
  const HANDLE console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE || GetConsoleScreenBufferInfo(console, &info)) return console;
  CloseHandle(console);
  return INVALID_HANDLE_VALUE;
}

bool OpenSystemConsole() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  System.console = OpenConsoleOutput(info);
  if (System.console == INVALID_HANDLE_VALUE) return false;
  System.savedOut = Con::hConOut;
  System.savedErr = Con::hConErr;
  System.savedAttribute = info.wAttributes;
  Con::hConOut = Con::hConErr = System.console;
  Con::ForgetTargetModes();
  Con::WriteText(L"", true);
  return true;
}

void CloseSystemConsole() {
  SetAttribute(System.savedAttribute);
  Con::WriteText(L"", true);
  Con::hConOut = System.savedOut;
  Con::hConErr = System.savedErr;
  Con::ForgetTargetModes();
  CloseHandle(System.console);
}

// The system console's tests exist only when the test program has one (a
// Windows test program run from a console; not one whose output is piped).
std::vector<ConsoleRig> SystemConsoleRigs() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  const HANDLE console = OpenConsoleOutput(info);
  if (console == INVALID_HANDLE_VALUE) return {};
  CloseHandle(console);
  return {ConsoleRig{"System", OpenSystemConsole, CloseSystemConsole}};
}

INSTANTIATE_TEST_SUITE_P(System, ConOutputTest, ::testing::ValuesIn(SystemConsoleRigs()), RigName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ConOutputTest);

}  // namespace

TEST_P(ConOutputTest, AlignsOnTheCurrentRowAgainstTheBufferWidth) {
  const int16_t width = Con::GetBufferWidth();
  ASSERT_GT(width, 20);
  const int16_t row = Con::GetCursorRow();
  Con::SetCursorCol(7);
  Con::WriteText(L"abc", false, 0, 1);
  EXPECT_EQ(Con::GetCursorCol(), 3);
  Con::WriteText(L"0123456789", false, 0, 2);
  EXPECT_EQ(Con::GetCursorCol(), (width - 10) / 2 + 10);
  Con::WriteText(std::wstring(width - 1, L'c'), false, 0, 2);
  EXPECT_EQ(Con::GetCursorCol(), width - 1);
  EXPECT_EQ(Con::GetCursorRow(), row);
  // The last character lands in the last column, and the console moves on.
  Con::WriteText(L"right", false, 0, 3);
  EXPECT_EQ(Con::GetCursorRow(), row + 1);
  EXPECT_EQ(Con::GetCursorCol(), 0);
}

TEST_P(ConOutputTest, TextTooWideToAlignStartsAtTheCursorOrColumnZero) {
  const int16_t width = Con::GetBufferWidth();
  const int16_t row = Con::GetCursorRow();
  Con::SetCursorCol(5);
  Con::WriteText(std::wstring(width, L'w'), false, 0, 2);
  EXPECT_EQ(Con::GetCursorRow(), row + 1);
  EXPECT_EQ(Con::GetCursorCol(), 5);
  Con::WriteText(std::wstring(width + 3, L'r'), false, 0, 3);
  EXPECT_EQ(Con::GetCursorRow(), row + 2);
  EXPECT_EQ(Con::GetCursorCol(), 3);
}

TEST_P(ConOutputTest, LineBreakAndResultRules) {
  const int16_t row = Con::GetCursorRow();
  EXPECT_EQ(Con::WriteText(L"", false), 0);
  EXPECT_EQ(Con::GetCursorRow(), row);
  EXPECT_EQ(Con::WriteText(L"", true), 2);
  EXPECT_EQ(Con::GetCursorRow(), row + 1);
  EXPECT_EQ(Con::WriteText(L"ab", true, 0, 1), 4);
  EXPECT_EQ(Con::GetCursorRow(), row + 2);
  // Right-aligned text never gets a line break, on either stream; the cursor
  // leaves the row only because the text ends in the last column.
  EXPECT_EQ(Con::WriteText(L"ab", true, 0, 3), 2);
  EXPECT_EQ(Con::GetCursorRow(), row + 3);
  EXPECT_EQ(Con::GetCursorCol(), 0);
  EXPECT_EQ(Con::WriteText(L"ab", true, 1, 3), 2);
  EXPECT_EQ(Con::GetCursorCol(), 2);
  // Standard error is never aligned.
  Con::SetCursorCol(4);
  Con::WriteText(L"ab", false, 1, 2);
  EXPECT_EQ(Con::GetCursorCol(), 6);
}

TEST_P(ConOutputTest, CursorMovesAreLimitedToTheBuffer) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(Con::hConOut, &info));
  const int16_t row = Con::GetCursorRow();
  Con::SetCursorCol(9);
  Con::SetCursorCol(-5);
  EXPECT_EQ(Con::GetCursorCol(), 0);
  EXPECT_EQ(Con::GetCursorRow(), row);
  Con::SetCursorCol(32000);
  EXPECT_EQ(Con::GetCursorCol(), info.dwSize.X - 1);
  Con::SetCursorRow(-3);
  EXPECT_EQ(Con::GetCursorRow(), 0);
  EXPECT_EQ(Con::GetCursorCol(), info.dwSize.X - 1);
  Con::SetCursorRow(32000);
  EXPECT_EQ(Con::GetCursorRow(), info.dwSize.Y - 1);
  Con::SetCursorRow(row);
}

TEST_P(ConOutputTest, ColourBitsAndCellFlags) {
  SetAttribute(0x1E);
  EXPECT_EQ(Con::GetForeColor(), 14);
  EXPECT_EQ(Con::GetBackColor(), 1);
  Con::SetForeColor(16);
  Con::SetBackColor(-1);
  EXPECT_EQ(CurrentAttribute(), 0x1E);
  Con::SetForeColor(10);
  EXPECT_EQ(CurrentAttribute(), 0x1A);
  SetAttribute(0x1E);
  Con::SetBackColor(0);
  EXPECT_EQ(CurrentAttribute(), 0x0E);
  // Foreground changes keep the cell flags; background changes drop them.
  SetAttribute(COMMON_LVB_UNDERSCORE | 0x1E);
  Con::SetForeColor(10);
  EXPECT_EQ(CurrentAttribute(), COMMON_LVB_UNDERSCORE | 0x1A);
  Con::SetBackColor(2);
  EXPECT_EQ(CurrentAttribute(), 0x2A);
}

TEST_P(ConOutputTest, WindowWidthIsTheVisiblePartOfTheBuffer) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(Con::hConOut, &info));
  EXPECT_EQ(Con::GetWindowWidth(), info.srWindow.Right - info.srWindow.Left + 1);
  EXPECT_GT(Con::GetWindowWidth(), 0);
  EXPECT_LE(Con::GetWindowWidth(), Con::GetBufferWidth());
}

TEST_P(ConOutputTest, TitleComesBackAsSet) {
  const std::wstring found = Con::GetTitle();
  Con::SetTitle(L"blkcopy caf\x00E9");
  EXPECT_EQ(Con::GetTitle(), L"blkcopy caf\x00E9");
  Con::SetTitle(found);
  EXPECT_EQ(Con::GetTitle(), found);
}

TEST(ConOutput, CoordToLongPutsTheColumnLowAndTheRowHigh) {
  EXPECT_EQ(Con::CoordToLong(COORD{5, 3}), 0x00030005);
  EXPECT_EQ(Con::CoordToLong(COORD{-1, 2}), 0x0002FFFF);
  EXPECT_EQ(static_cast<uint32_t>(Con::CoordToLong(COORD{0, -1})), 0xFFFF0000u);
}

// The test program's own standard output, when it goes to a file or a pipe.
TEST(ConOutput, RedirectedOutputReadsAsZerosAndWindowWidthOne) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) GTEST_SKIP() << "standard output is a console";
  const HANDLE saved = Con::hConOut;
  Con::hConOut = out;
  Con::SetForeColor(12);
  Con::SetCursorCol(5);
  EXPECT_EQ(Con::GetBufferWidth(), 0);
  EXPECT_EQ(Con::GetWindowWidth(), 1);
  EXPECT_EQ(Con::GetCursorCol(), 0);
  EXPECT_EQ(Con::GetCursorRow(), 0);
  EXPECT_EQ(Con::GetForeColor(), 0);
  EXPECT_EQ(Con::GetBackColor(), 0);
  EXPECT_EQ(Con::WriteText(L"", false, 0, 2), 0);
  Con::hConOut = saved;
}
