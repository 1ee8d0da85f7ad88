// Con's output operations on the in-memory console: what a user sees, cell by
// cell and colour by colour.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/con_output_rig.h"
#include "console/Con.h"
#include "support/memory_screen.h"

namespace {

std::optional<MemoryConsole> RigConsole;
std::optional<BoundConsole> RigBinding;

bool OpenMemoryConsole() {
  RigBinding.emplace(RigConsole.emplace(80, 25));
  return true;
}

void CloseMemoryConsole() {
  RigBinding.reset();
  RigConsole.reset();
}

INSTANTIATE_TEST_SUITE_P(Memory, ConOutputTest,
                         ::testing::Values(ConsoleRig{"Memory", OpenMemoryConsole, CloseMemoryConsole}),
                         RigName);

std::wstring Blanks(size_t count) { return std::wstring(count, L' '); }

}  // namespace

using ConScreen = MemoryScreenTest;

TEST_F(ConScreen, ColoursApplyToTextWrittenAfterwards) {
  Con::SetForeColor(10);
  Con::WriteText(L"Green");
  Con::SetForeColor(12);
  Con::SetBackColor(1);
  Con::WriteText(L"Red", true);
  EXPECT_EQ(screen.RowText(0), L"GreenRed" + Blanks(72));
  const std::vector<WORD> colours = screen.RowAttributes(0);
  const std::pair<size_t, WORD> cells[] = {{0, 0x0A}, {4, 0x0A}, {5, 0x1C}, {7, 0x1C}, {8, 0x07}};
  for (const auto& [column, colour] : cells)
    EXPECT_EQ(colours[column], colour) << "column " << column;
  EXPECT_EQ(screen.Cursor().X, 0);
  EXPECT_EQ(screen.Cursor().Y, 1);
}

TEST_F(ConScreen, CentredAndRightAlignedTextLandWhereExpected) {
  Con::WriteText(L"0123456789", true, 0, 2);
  Con::WriteText(L"0123456789", false, 0, 3);
  EXPECT_EQ(screen.RowText(0), Blanks(35) + L"0123456789" + Blanks(35));
  EXPECT_EQ(screen.RowText(1), Blanks(70) + L"0123456789");
  EXPECT_EQ(screen.Cursor().Y, 2);
}

// As on Windows: a text that fills the row leaves the cursor on the next row,
// so the line break after it ends an empty row.
TEST_F(ConScreen, FullRowFollowedByLineBreakLeavesAnEmptyRow) {
  Con::WriteText(std::wstring(80, L'x'), true);
  Con::WriteText(L"next", true);
  EXPECT_EQ(screen.RowText(0), std::wstring(80, L'x'));
  EXPECT_EQ(screen.RowText(1), Blanks(80));
  EXPECT_EQ(screen.RowText(2).substr(0, 4), L"next");
}

TEST_F(ConScreen, NonAsciiTextShowsAsItselfAndCountsAsCharacters) {
  // Box-drawing characters and é: one column each, several bytes each.
  EXPECT_EQ(Con::WriteText(L"\x2554\x2550\x2557 caf\x00E9"), 3 * 3 + 4 + 2);
  EXPECT_EQ(screen.RowText(0).substr(0, 8), L"\x2554\x2550\x2557 caf\x00E9");
  EXPECT_EQ(screen.Cursor().X, 8);
  Con::WriteText(L"", true);
  Con::WriteText(L"caf\x00E9", false, 0, 3);
  EXPECT_EQ(screen.RowText(1).substr(76), L"caf\x00E9");
}

TEST_F(ConScreen, WideCharactersFillTwoCells) {
  Con::WriteText(L"\x65E5\x672C!");
  EXPECT_EQ(screen.Cursor().X, 5);
  EXPECT_EQ(screen.RowText(0), L"\x65E5\x672C!" + Blanks(75));
  // One that would start in the last column goes to the next row whole.
  Con::SetCursorCol(79);
  Con::WriteText(L"\x65E5");
  EXPECT_EQ(screen.CharAt(79, 0), L' ');
  EXPECT_EQ(screen.CharAt(0, 1), L'\x65E5');
  EXPECT_EQ(screen.Cursor().X, 2);
}

TEST_F(ConScreen, ResizeIsSeenByTheNextCall) {
  screen.Resize(40, 10);
  EXPECT_EQ(Con::GetBufferWidth(), 40);
  EXPECT_EQ(Con::GetWindowWidth(), 40);
  Con::WriteText(L"abc", false, 0, 3);
  EXPECT_EQ(screen.RowText(0).substr(37), L"abc");
  // A buffer wider than its window: alignment follows the buffer.
  screen.Resize(40, 10, 100);
  EXPECT_EQ(Con::GetBufferWidth(), 100);
  EXPECT_EQ(Con::GetWindowWidth(), 40);
  Con::WriteText(L"0123456789", false, 0, 2);
  EXPECT_EQ(screen.RowText(1).substr(45, 10), L"0123456789");
}

TEST_F(ConScreen, WindowFollowsTheCursorDown) {
  for (int line = 0; line < 30; ++line) Con::WriteText(L"line", true);
  EXPECT_EQ(screen.Cursor().Y, 30);
  EXPECT_EQ(screen.Window().Top, 6);
  EXPECT_EQ(screen.Window().Bottom, 30);
  // Rows a terminal has scrolled away can't be reached again.
  Con::SetCursorRow(2);
  EXPECT_EQ(Con::GetCursorRow(), 6);
  Con::SetCursorRow(40);
  EXPECT_EQ(screen.Window().Top, 16);
}

TEST_F(ConScreen, FullBufferScrollsItsRowsUp) {
  Con::SetCursorRow(9000);
  Con::WriteText(L"one", true);
  EXPECT_EQ(Con::GetCursorRow(), 9000);
  EXPECT_EQ(screen.RowText(8999).substr(0, 3), L"one");
  Con::SetForeColor(12);
  Con::SetBackColor(1);
  Con::WriteText(L"two", true);
  EXPECT_EQ(screen.RowText(8998).substr(0, 3), L"one");
  EXPECT_EQ(screen.RowText(8999).substr(0, 3), L"two");
  EXPECT_EQ(screen.AttributeAt(10, 9000), 0x1C);
}

TEST(ConRedirected, StandardOutputGetsTheTextWithoutPositioning) {
  MemoryConsole console;
  console.RedirectOutput();
  BoundConsole binding(console);
  Con::SetForeColor(12);
  EXPECT_EQ(Con::WriteText(L"caf\x00E9", true, 0, 2), 7);
  EXPECT_EQ(Con::WriteText(L"right", true, 0, 3), 5);
  EXPECT_EQ(console.OutputBytes(), "caf\xC3\xA9\r\nright");
  EXPECT_EQ(Con::GetBufferWidth(), 0);
  EXPECT_EQ(Con::GetWindowWidth(), 1);
  EXPECT_EQ(Con::GetForeColor(), 0);
  // Standard error is still the console.
  Con::WriteText(L"err", false, 1);
  EXPECT_EQ(console.RowText(0).substr(0, 3), L"err");
  EXPECT_EQ(console.Attribute(), 7);
}

TEST_F(ConScreen, TitleOfAConsoleWithoutOneIsEmpty) {
  EXPECT_EQ(Con::GetTitle(), L"");
  screen.SetTitle("Command Prompt");
  EXPECT_EQ(Con::GetTitle(), L"Command Prompt");
  Con::SetTitle(L"blkcopy \x2550 caf\x00E9");
  EXPECT_EQ(screen.Title(), "blkcopy \xE2\x95\x90 caf\xC3\xA9");
}
