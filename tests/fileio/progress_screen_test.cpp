// The progress box, its refreshes and the summary on an in-memory screen with
// a fixed clock: what a user sees, cell by cell and colour by colour.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "console/Con.h"
#include "fileio/testing.h"
#include "support/progress_time.h"
#include "fileio/modFileIO.h"
#include "support/memory_screen.h"

using namespace modFileIO;

namespace {

SYSTEMTIME ClockNow;
DWORD TickNow;
void FixedClock(SYSTEMTIME& now) { now = ClockNow; }
DWORD FixedTick() { return TickNow; }
const LocaleSeparators Western = {L",", L".", L":"};

// A 64-column window; a fresh copy of 4 GiB started at 09:15:02, refreshed
// after 1,310,720,000 bytes 20 seconds later.
const wchar_t* const ExampleBox[16] = {
    L"╓─ Source ────────────────────────────────────────────────────╖",
    L"║       Name:                              D:\\images\\disk.img ║",
    L"║     Offset:                                         0 bytes ║",
    L"║       Size:                             4,294,967,296 bytes ║",
    L"╟─ Target ────────────────────────────────────────────────────╢",
    L"║       Name:                              E:\\backup\\disk.img ║",
    L"║       Size:                             1,310,720,000 bytes ║",
    L"╟─────────────────────────────────────────────────────────────╢",
    L"║ Start time:                             2024-03-01 09:15:02 ║",
    L"║   End time:                             2024-03-01 09:16:08 ║",
    L"║    Elapsed:                                        00:00:20 ║",
    L"║  Remaining:                                        00:00:46 ║",
    L"╟─────────────────────────────────────────────────────────────╢",
    L"║     KB/sec:                                          64,000 ║",
    L"║ % complete:                                          30.52% ║",
    L"╚═════════════════════════════════════════════════════════════╝",
};
// Label and value colour of each row of the box.
const int RowColours[16][2] = {{3, 0},  {3, 11}, {3, 11}, {3, 11}, {6, 0},  {6, 14},
                               {6, 14}, {10, 0}, {7, 15}, {7, 15}, {7, 15}, {7, 15},
                               {10, 0}, {9, 9},  {9, 9},  {10, 0}};
const int RefreshedRows[] = {6, 9, 10, 11, 13, 14};

bool IsFrame(wchar_t c) { return c >= 0x2500 && c <= 0x257F; }

// A field row of a window `width` wide: label, ": ", the value ending in
// column width - 4, a space and the border in column width - 2.
std::wstring FieldRow(const std::wstring& label, const std::wstring& value, int width) {
  std::wstring row = L"║ " + std::wstring(10 - label.size(), L' ') + label + L": ";
  row += std::wstring(static_cast<size_t>(width - 17) - value.size(), L' ') + value + L" ║";
  return row;
}

class ProgressScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    Prepare();
    binding_.emplace(screen);
    FixSeparators(&Western);
    SetClockSource(FixedClock);
    SetTickSource(FixedTick);
    ClockNow = Start;
    TickNow = StartTick;
    Con::SetForeColor(10);
  }
  void TearDown() override {
    SetClockSource(nullptr);
    SetTickSource(nullptr);
    FixSeparators(nullptr);
    binding_.reset();
  }
  virtual void Prepare() {}

  // As the copy loop does it: the box goes where the cursor stands.
  void Paint(int64_t offset, int64_t size, const std::wstring& source = L"D:\\images\\disk.img",
             const std::wstring& dest = L"E:\\backup\\disk.img") {
    Top = Con::GetCursorRow();
    Left = Con::GetCursorCol();
    Offset = offset;
    Size = size;
    ClockNow = Start;
    TickNow = StartTick;
    PaintProgress(Top, Left, source, dest, offset, size, Start);
  }
  // A refresh `seconds` after the start (by the tick; the wall clock may have
  // been stepped by `clockStep`), and what the loop does after one.
  void Refresh(int64_t total, int64_t seconds, int64_t clockStep = 0) {
    ClockNow = AddSeconds(Start, seconds + clockStep);
    TickNow = StartTick + static_cast<DWORD>(seconds * 1000);
    RefreshProgress(Offset, Size, total);
    Con::SetForeColor(10);
    Con::SetCursorRow(RowUnderProgress());
  }
  // Row `index` of the box, without the never-written last column.
  std::wstring Row(int index) const {
    const std::wstring text = screen.RowText(static_cast<SHORT>(Top + index));
    return text.substr(0, text.size() - 1);
  }
  // What a field row shows between its label and its right border.
  std::wstring Value(int index) const {
    const std::wstring row = Row(index);
    const std::wstring between = row.substr(14, row.size() - 16);
    const size_t start = between.find_first_not_of(L' ');
    return start == std::wstring::npos ? L"" : between.substr(start, between.find_last_not_of(L' ') + 1 - start);
  }
  // Each listed field row shows its value ("": none).
  void ExpectValues(const std::vector<std::pair<int, const wchar_t*>>& values) const {
    for (const auto& [row, value] : values) EXPECT_EQ(Value(row), value) << "row " << row;
  }
  // The frame light green, label text in the label colour, value text in the
  // value colour, all on black.
  void ExpectRowColours(int index) const {
    const SHORT row = static_cast<SHORT>(Top + index);
    for (SHORT column = 0; column < screen.BufferSize().X; ++column) {
      const WORD attribute = screen.AttributeAt(column, row);
      EXPECT_EQ(attribute >> 4, 0) << "row " << index << " column " << column;
      const wchar_t c = screen.CharAt(column, row);
      if (c == L' ') continue;
      const int expected = IsFrame(c) ? 10 : RowColours[index][column < 14 ? 0 : 1];
      EXPECT_EQ(attribute & 15, expected) << "row " << index << " column " << column;
    }
  }

  MemoryConsole screen{64, 25};
  const SYSTEMTIME Start = Time(2024, 3, 1, 9, 15, 2);
  const DWORD StartTick = 5000000;
  int16_t Top = 0;
  int16_t Left = 0;
  int64_t Offset = 0;
  int64_t Size = 0;

 private:
  std::optional<BoundConsole> binding_;
};

}  // namespace

TEST_F(ProgressScreen, PaintsAndRefreshesTheExampleBoxCellForCell) {
  Con::WriteText(L"C:\\> blkcopy D:\\images\\disk.img E:\\backup\\disk.img", true);
  Paint(0, 4294967296LL);
  EXPECT_EQ(Top, 1);
  EXPECT_EQ(screen.Cursor().X, 0);
  EXPECT_EQ(screen.Cursor().Y, Top + 16);
  EXPECT_EQ(screen.Attribute() & 15, 10);
  for (int i = 0; i < 16; ++i) {
    bool refreshed = false;
    for (int r : RefreshedRows) refreshed = refreshed || r == i;
    // As painted, the refreshed fields show their labels and no value.
    const std::wstring expected =
        refreshed ? std::wstring(ExampleBox[i]).substr(0, 14) + std::wstring(48, L' ') + L"║"
                  : std::wstring(ExampleBox[i]);
    EXPECT_EQ(Row(i), expected) << "row " << i;
    ExpectRowColours(i);
  }

  Refresh(1310720000, 20);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(Row(i), ExampleBox[i]) << "row " << i;
    ExpectRowColours(i);
  }
  EXPECT_EQ(screen.RowText(0).substr(0, 13), L"C:\\> blkcopy ");
  EXPECT_EQ(screen.RowText(static_cast<SHORT>(Top + 16)), std::wstring(64, L' '));
}

TEST_F(ProgressScreen, ARefreshRewritesOnlyItsSixFields) {
  Paint(0, 4294967296LL);
  Refresh(655360000, 10);
  // Mark every row in the middle of the box; a row the refresh rewrites loses the mark.
  for (int i = 0; i < 16; ++i) {
    Con::SetCursorRow(static_cast<int16_t>(Top + i));
    Con::SetCursorCol(30);
    Con::WriteText(L"#");
  }
  Con::SetCursorRow(static_cast<int16_t>(Top + 16));
  Con::SetCursorCol(0);
  Refresh(1310720000, 20);
  int rewritten = 0;
  for (int i = 0; i < 16; ++i) {
    const bool marked = Row(i)[30] == L'#';
    bool expected = true;
    for (int r : RefreshedRows) expected = expected && r != i;
    EXPECT_EQ(marked, expected) << "row " << i;
    rewritten += marked ? 0 : 1;
  }
  EXPECT_EQ(rewritten, 6);
}

TEST_F(ProgressScreen, WithinTheFirstSecondOnlySizeAndPercentageChange) {
  Paint(0, 4294967296LL);
  Refresh(6553600, 0);
  ExpectValues(
      {{6, L"6,553,600 bytes"}, {14, L"0.15%"}, {9, L""}, {10, L""}, {11, L""}, {13, L""}});

}

TEST_F(ProgressScreen, AStepOfTheWallClockMovesOnlyTheEndTime) {
  const struct {
    const char* what;
    int64_t step;
    const wchar_t* endTime;
  } steps[] = {{"an hour back", -3600, L"2024-03-01 08:16:08"},
               {"a day forward", 86400, L"2024-03-02 09:16:08"}};
  for (const auto& c : steps) {
    SCOPED_TRACE(c.what);
    Paint(0, 4294967296LL);
    Refresh(655360000, 10);
    Refresh(1310720000, 20, c.step);
    ExpectValues({{10, L"00:00:20"}, {13, L"64,000"}, {11, L"00:00:46"}, {9, c.endTime},
                  {14, L"30.52%"}});
  }
}

TEST_F(ProgressScreen, ElapsedCountsOnPastADayAndPastTheTicksWrap) {
  // 100 KB/sec for 25 hours 7 seconds, refreshed every hour; the tick wraps
  // after 49.7 days, and a copy of 60 days still counts each of them.
  const struct {
    int64_t hours, extraSeconds;
    const wchar_t* elapsed;
  } cases[] = {{25, 7, L"25:00:07"}, {60 * 24, 0, L"1440:00:00"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.elapsed);
    Paint(0, 1LL << 50);
    for (int64_t hour = 1; hour <= c.hours; ++hour) Refresh(hour * 3600 * 102400, hour * 3600);
    const int64_t seconds = c.hours * 3600 + c.extraSeconds;
    Refresh(seconds * 102400, seconds);
    ExpectValues({{10, c.elapsed}, {13, L"100"}});
  }
}

TEST_F(ProgressScreen, AShorterValueLeavesNoDigitsOfTheLongerOne) {
  // 1 MiB a second, 360,010 seconds of work: 100 hours left after 10 seconds.
  Paint(0, 360010LL * 1048576);
  Refresh(10LL * 1048576, 10);
  ExpectValues({{11, L"100:00:00"}, {9, L"2024-03-05 13:15:12"}});
  Refresh(11LL * 1048576, 11);
  EXPECT_EQ(Row(11), FieldRow(L"Remaining", L"99:59:59", 64));

  // 10,000 KB/sec, then 9,999.
  Paint(0, 4294967296LL);
  Refresh(10LL * 10000 * 1024, 10);
  EXPECT_EQ(Row(13), FieldRow(L"KB/sec", L"10,000", 64));
  Refresh(20LL * 9999 * 1024, 20);
  EXPECT_EQ(Row(13), FieldRow(L"KB/sec", L"9,999", 64));
}

TEST_F(ProgressScreen, EstimatesAtTheirLimits) {
  const struct {
    const char* what;
    int64_t offset, size, total, seconds;
    std::vector<std::pair<int, const wchar_t*>> values;
  } cases[] = {
      {"hours go on past a day: 100 KB/sec for 25 hours, as much again to go", 0,
       18432000000LL, 9216000000LL, 25 * 3600,
       {{10, L"25:00:00"}, {11, L"25:00:00"}, {13, L"100"}, {9, L"2024-03-03 11:15:02"},
        {14, L"50.00%"}}},
      // The end time lies before the present, 10:21:42.
      {"a source that grew: 1 MiB a second for 4,000 seconds from one measured at 97 MiB", 0,
       97LL * 1048576, 4000LL * 1048576, 4000,
       {{14, L"4123.71%"}, {11, L"-01:-05:-03"}, {9, L"2024-03-01 09:16:39"}, {10, L"01:06:40"}}},
      {"a remaining time beyond 32 bits shows the largest value", 0, 1LL << 62, 1, 1,
       {{11, L"596523:14:07"}, {9, L"2092-03-19 12:29:10"}, {13, L"0"}, {14, L"0.00%"}}},
      {"every write failed so far: a rate of 0 gives no remaining or end time", 1048576, 4194304,
       1048576, 5, {{13, L"0"}, {10, L"00:00:05"}, {11, L""}, {9, L""}, {14, L"25.00%"}}},
      {"a source measured empty that then grew gives no percentage", 0, 0, 65536, 5,
       {{14, L""}, {6, L"65,536 bytes"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Paint(c.offset, c.size);
    Refresh(c.total, c.seconds);
    ExpectValues(c.values);
  }
}

// After a resize (and once the window has kept its size for half a second)
// a new box at the new width stands under the old; the same after the window
// was too small for any box and has grown again.
TEST_F(ProgressScreen, AfterAResizeANewBoxAtTheNewWidthStandsUnderTheOld) {
  const struct {
    const char* what;
    SHORT columns, rows;
  } changes[] = {{"narrower, in a buffer that stays 64 wide", 50, 25},
                 {"too small for a box, then large again", 30, 12}};
  for (const auto& c : changes) {
    SCOPED_TRACE(c.what);
    screen.Resize(64, 25);
    Paint(0, 4294967296LL);
    const int16_t oldTop = Top;
    Refresh(655360000, 10);
    screen.Resize(c.columns, c.rows, 64);
    Refresh(1310720000, 20);
    EXPECT_EQ(Row(15), ExampleBox[15]) << "the old box is left alone";
    Refresh(1966080000, 21);
    if (c.columns < 40) {
      screen.Resize(80, 30);
      Refresh(2000000000, 22);
      Refresh(2100000000, 23);
    }
    const SHORT width = c.columns < 40 ? 80 : c.columns;
    Top = static_cast<int16_t>(RowUnderProgress() - 16);
    EXPECT_GT(Top, oldTop);
    EXPECT_EQ(Row(0).substr(0, 11), L"╓─ Source ─");
    EXPECT_EQ(Row(0)[width - 2], L'╖');
    EXPECT_TRUE(IsFrame(Row(14)[width - 2]));
  }
}

TEST_F(ProgressScreen, ALongPathInANarrowWindowShowsItsEndInsideTheFrame) {
  screen.Resize(40, 25);
  const std::wstring path = L"D:\\virtual machines\\build servers\\images\\disk-2024.img";
  Paint(0, 4294967296LL, path, L"E:\\disk.img");
  EXPECT_EQ(Row(1), FieldRow(L"Name", L"...images\\disk-2024.img", 40));
  EXPECT_EQ(Row(5), FieldRow(L"Name", L"E:\\disk.img", 40));
  for (int i = 0; i < 16; ++i) {
    EXPECT_TRUE(IsFrame(Row(i)[0])) << "row " << i;
    EXPECT_TRUE(IsFrame(Row(i)[38])) << "row " << i;
  }
  EXPECT_EQ(screen.Cursor().Y, Top + 16);
}

TEST_F(ProgressScreen, ABoxStartedMidRowStillLinesUpItsFields) {
  Con::WriteText(L"copy: ");
  Paint(0, 4294967296LL);
  EXPECT_EQ(Left, 6);
  EXPECT_EQ(Row(0), L"copy: ╓─ Source ──────────────────────────────────────────────╖");
  Refresh(1310720000, 20);
  for (int i = 1; i < 16; ++i) EXPECT_EQ(Row(i), ExampleBox[i]) << "row " << i;
}

TEST_F(ProgressScreen, ABoxAtTheFootOfTheBufferIsDrawnWhereTheScrollLeftIt) {
  const SHORT lastRow = static_cast<SHORT>(screen.BufferSize().Y - 1);
  Con::SetCursorRow(static_cast<int16_t>(lastRow - 5));
  Paint(0, 4294967296LL);
  // Blanking the box's rows scrolled the buffer by eleven rows.
  EXPECT_EQ(screen.Cursor().Y, lastRow);
  Refresh(1310720000, 20);
  for (int i = 0; i < 16; ++i) {
    const std::wstring text = screen.RowText(static_cast<SHORT>(lastRow - 16 + i));
    EXPECT_EQ(text.substr(0, 63), ExampleBox[i]) << "row " << i;
  }
}

TEST_F(ProgressScreen, ANarrowOrShortConsoleGetsPlainLinesAndNoBlankRows) {
  const struct { SHORT columns, rows; } windows[] = {{30, 25}, {80, 12}};
  for (const auto& window : windows) {
    SCOPED_TRACE(window.columns);
    screen.Resize(window.columns, window.rows);
    Con::SetCursorCol(0);
    Con::SetCursorRow(static_cast<int16_t>(screen.Cursor().Y + 1));
    TickNow = StartTick;
    Paint(0, 4294967296LL);
    EXPECT_EQ(screen.RowText(Top).substr(0, 8), L"Copying ") << "no rows kept for a box";
    const SHORT lineRow = screen.Cursor().Y;
    Refresh(655360000, 0);
    EXPECT_EQ(screen.RowText(lineRow), std::wstring(window.columns, L' ')) << "a line a second";
    Refresh(1310720000, 20);
    std::wstring shown;
    for (int i = 0; i < 4; ++i) shown += screen.RowText(static_cast<SHORT>(lineRow + i));
    const std::wstring line =
        L"Copied 1,310,720,000 of 4,294,967,296 bytes (30.52%), 64,000 KB/sec, 00:00:46 "
        L"remaining";
    EXPECT_EQ(shown.substr(0, line.size()), line);
    // An ending starts on the clean row under the line.
    EXPECT_EQ(screen.Cursor().X, 0);
    EXPECT_EQ(screen.Cursor().Y, RowUnderProgress());
    EXPECT_EQ(screen.RowText(screen.Cursor().Y), std::wstring(window.columns, L' '));
  }
}

TEST_F(ProgressScreen, SummaryOfAResumedCopyMatchesTheExampleLineForLine) {
  Con::SetForeColor(11);
  Con::WriteText(L"File copy completed!", true);
  Con::WriteText(L"E:\\backup\\disk.img written", true);
  PrintSummary(1048576, 4194304);
  const wchar_t* const expected[] = {L"File copy completed!", L"E:\\backup\\disk.img written",
                                     L"Initial size:  1,048,576", L"Bytes written: 3,145,728",
                                     L"Total bytes:   4,194,304"};
  for (SHORT row = 0; row < 5; ++row) {
    const std::wstring line = expected[row];
    EXPECT_EQ(screen.RowText(row), line + std::wstring(64 - line.size(), L' '));
    for (SHORT column = 0; column < static_cast<SHORT>(line.size()); ++column)
      EXPECT_EQ(screen.AttributeAt(column, row), 11);
  }
  EXPECT_EQ(screen.Cursor().Y, 5);
  EXPECT_EQ(screen.Attribute(), 11);
}

TEST_F(ProgressScreen, SummaryNumbersShareOneEndColumnAndNeverCoverTheirLabels) {
  PrintSummary(1000, 1001000);
  const wchar_t* const lines[] = {L"Initial size:      1,000", L"Bytes written: 1,000,000",
                                  L"Total bytes:   1,001,000"};
  for (SHORT row = 0; row < 3; ++row) EXPECT_EQ(screen.RowText(row).substr(0, 24), lines[row]);
  // A fresh copy, or a resumed one that found nothing, has the total alone.
  PrintSummary(0, 4194304);
  EXPECT_EQ(screen.RowText(3).substr(0, 25), L"Total bytes:   4,194,304 ");
  EXPECT_EQ(screen.RowText(4), std::wstring(64, L' '));
}

namespace {

class RedirectedProgress : public ProgressScreen {
 protected:
  void Prepare() override { screen.RedirectOutput(); }
};

}  // namespace

TEST_F(RedirectedProgress, WritesAPlainLineAtMostEveryTenSeconds) {
  Paint(0, 4294967296LL, L"D:\\images\\disk\x202E.img");
  const std::string named =
      "Copying D:\\images\\disk?.img to E:\\backup\\disk.img: 4,294,967,296 bytes from byte 0, "
      "started 2024-03-01 09:15:02\r\n";
  EXPECT_EQ(screen.OutputBytes(), named);
  // The loop asks after every block: a line is due ten seconds after the last.
  TickNow = StartTick + 9999;
  EXPECT_FALSE(ProgressLineDue());
  TickNow = StartTick + 10000;
  EXPECT_TRUE(ProgressLineDue());
  Refresh(327680000, 5);
  Refresh(655360000, 9);
  EXPECT_EQ(screen.OutputBytes(), named);
  Refresh(1310720000, 20);
  EXPECT_FALSE(ProgressLineDue());
  const std::string first = named +
      "Copied 1,310,720,000 of 4,294,967,296 bytes (30.52%), 64,000 KB/sec, 00:00:46 "
      "remaining\r\n";
  EXPECT_EQ(screen.OutputBytes(), first);
  Refresh(1638400000, 25);
  EXPECT_EQ(screen.OutputBytes(), first);
  Refresh(1966080000, 30);
  EXPECT_EQ(screen.OutputBytes(), first +
                                      "Copied 1,966,080,000 of 4,294,967,296 bytes (45.78%), "
                                      "64,000 KB/sec, 00:00:36 remaining\r\n");

  // The summary is still written, plain.
  const size_t before = screen.OutputBytes().size();
  PrintSummary(1048576, 4194304);
  EXPECT_EQ(screen.OutputBytes().substr(before),
            "Initial size:  1,048,576\r\nBytes written: 3,145,728\r\nTotal bytes:   4,194,304\r\n");
  EXPECT_EQ(screen.OutputBytes().find('\x1b'), std::string::npos);

  // What is not known yet is left out: here, every write so far failed.
  const size_t summaryEnd = screen.OutputBytes().size();
  Paint(1048576, 4194304);
  Refresh(1048576, 10);
  const std::string output = screen.OutputBytes().substr(summaryEnd);
  EXPECT_EQ(output.substr(output.find("\r\n") + 2),
            "Copied 1,048,576 of 4,194,304 bytes (25.00%), 0 KB/sec\r\n");
}

// The read-back after the copy: the box says so in its bottom border and its
// percentage's label, plain lines say "Verified".
TEST_F(ProgressScreen, TheVerifyPassShowsItsOwnFigures) {
  Paint(0, 4294967296LL);
  Refresh(4294967296LL, 60);
  BeginVerifyProgress(4294967296LL);
  EXPECT_EQ(Row(15).substr(0, 12), L"╚═ Verify ═\x2550");
  TickNow += 20000;
  for (int block = 0; block < 100; ++block) RefreshVerifyProgress(1310720000);
  EXPECT_EQ(Row(14), FieldRow(L"% verified", L"30.52%", 64));
  ExpectValues({{13, L"64,000"}, {11, L"00:00:46"}, {10, L"00:01:20"},
                {6, L"4,294,967,296 bytes"}});
  EXPECT_EQ(screen.Cursor().Y, RowUnderProgress());
}

TEST_F(RedirectedProgress, TheVerifyPassWritesItsOwnLines) {
  Paint(0, 4294967296LL);
  const size_t painted = screen.OutputBytes().size();
  BeginVerifyProgress(4294967296LL);
  TickNow += 20000;
  RefreshVerifyProgress(1310720000);  // a line is due: not held for a hundred blocks
  EXPECT_EQ(screen.OutputBytes().substr(painted),
            "Verifying: reading the source and the destination back to compare them\r\n"
            "Verified 1,310,720,000 of 4,294,967,296 bytes (30.52%), 64,000 KB/sec, 00:00:46 "
            "remaining\r\n");
}

// Message lines break by columns, and never between a letter and its accent.
TEST_F(ProgressScreen, WrappedLinesCountColumnsAndKeepMarksWithTheirLetters) {
  // A Windows console gives each UTF-16 unit a cell: the widths below are a terminal's.
  if (TextColumns(L"\x65E5") != 2) return;
  screen.Resize(30, 25);
  std::wstring accented;
  for (int i = 0; i < 40; ++i) accented += L"e\x0301";
  const std::wstring wide = L"a " + std::wstring(20, L'\x65E5');
  const struct {
    std::wstring text, firstRow, secondRow;
  } cases[] = {
      // (The screen keeps the letters; a mark adds nothing to a cell.)
      {accented, std::wstring(29, L'e') + L" ", std::wstring(11, L'e') + L" "},
      {wide, L"a ", std::wstring(14, L'\x65E5')},
  };
  for (const auto& c : cases) {
    const SHORT row = screen.Cursor().Y;
    WriteWrapped(c.text);
    EXPECT_EQ(screen.RowText(row).substr(0, c.firstRow.size()), c.firstRow);
    EXPECT_EQ(screen.RowText(static_cast<SHORT>(row + 1)).substr(0, c.secondRow.size()), c.secondRow);
  }
}
