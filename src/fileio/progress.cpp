// The progress box: painted once before the first block, its changing fields
// rewritten in place at each refresh. Where there is no box to draw
// (standard output is no console, or the window is too narrow or too short to
// hold it), refreshes write an occasional plain line instead, so a log of a
// long copy still shows how it goes. After each refresh the cursor stands at
// the start of the row under what the progress shows, a clean line, where a
// message, the break line or the completion lines go.
#include <algorithm>

#include "console/Con.h"
#include "fileio/format.h"
#include "fileio/modFileIO.h"

namespace modFileIO {
namespace {

const int BoxRows = 16;
// Narrower than this, values crowd the labels and the frame no longer reads
// as one; a box is drawn only from this width on.
const int MinBoxWidth = 40;
// From the column it starts in, the top border needs its corner, a line
// character, " Source ", a line character, its corner and the never-written
// last column.
const int TopBorderWidth = 13;
// Columns a field line keeps for its frame and label: "║ ", ten, ": ", " ║"
// and the never-written last column.
const int FieldChrome = 17;
// A log gets a plain line every ten seconds; a console, where each line is
// written over the one before, every second.
const DWORD PlainLineInterval = 10000;
const DWORD ConsoleLineInterval = 1000;
// The box and the row under it must all be in the window: a terminal can't
// reach rows it has scrolled away.
const int MinBoxHeight = BoxRows + 1;
// After a resize, what was drawn is left alone and a new box waits until the
// window has kept its size this long (a dragged edge resizes many times).
const DWORD SettleTime = 500;

struct BoxRow {
  int32_t Kind;
  const wchar_t* Label;
  int32_t LabelColour;
  int32_t ValueColour;
};
// A border takes no value, and an unlabelled one no label: their colours
// have no effect.
const int32_t NoValue = Con::Black;
const int32_t NoLabel = Con::LightGreen;
const BoxRow Rows[BoxRows] = {
    {TopBorder, L"Source", Con::DarkCyan, NoValue},
    {FieldLine, L"Name", Con::DarkCyan, Con::LightCyan},
    {FieldLine, L"Offset", Con::DarkCyan, Con::LightCyan},
    {FieldLine, L"Size", Con::DarkCyan, Con::LightCyan},
    {Divider, L"Target", Con::DarkYellow, NoValue},
    {FieldLine, L"Name", Con::DarkYellow, Con::Yellow},
    {FieldLine, L"Size", Con::DarkYellow, Con::Yellow},
    {Divider, L"", NoLabel, NoValue},
    {FieldLine, L"Start time", Con::LightGrey, Con::White},
    {FieldLine, L"End time", Con::LightGrey, Con::White},
    {FieldLine, L"Elapsed", Con::LightGrey, Con::White},
    {FieldLine, L"Remaining", Con::LightGrey, Con::White},
    {Divider, L"", NoLabel, NoValue},
    {FieldLine, L"KB/sec", Con::LightBlue, Con::LightBlue},
    {FieldLine, L"% complete", Con::LightBlue, Con::LightBlue},
    {BottomBorder, L"", NoLabel, NoValue},
};
enum RowIndex {
  TargetSizeRow = 6, EndTimeRow = 9, ElapsedRow = 10, RemainingRow = 11,
  ThroughputRow = 13, PercentRow = 14
};

// What the screen shows of the current copy, kept from one refresh to the
// next; PaintProgress starts it afresh.
enum class Shown { Nothing, Box, Lines };  // Nothing: standard output is no console
struct ProgressView {
  Shown Mode = Shown::Nothing;
  int Top = 0;             // the box's top row, or the row of the plain line
  int Under = 0;           // the row under them, where the cursor rests
  bool LineShown = false;  // a plain line stands at Top
  bool Displaced = false;  // the window changed under the box; a new one waits
  DWORD DisplacedTick = 0;
  int DisplacedWidth = 0;
  int DisplacedHeight = 0;
  std::wstring PercentText;
  std::wstring ThroughputText;
  std::wstring RemainingText;
  DWORD LastPlainTick = 0;
  int LastPlainLength = 0;
  // What a box painted anew shows.
  struct PaintedValues {
    std::wstring SourcePath;
    std::wstring DestPath;
    int64_t StartOffset = 0;
    int64_t SourceSize = 0;
    SYSTEMTIME StartTime = {};
  } Painted;
} View;

// The figures of one refresh.
struct Figures {
  std::wstring Total;    // the bytes copied, "#,##0"
  std::wstring Elapsed;  // empty within the first second
  std::wstring EndTime;  // empty while there is no rate
};

void DrawRow(int top, int index, const std::wstring& value) {
  const BoxRow& row = Rows[index];
  DrawBoxLine(ToCell(top + index), row.Label, value, row.LabelColour, row.ValueColour,
              Con::LightGreen, row.Kind);
}

std::wstring Bytes(int64_t count, const LocaleSeparators& seps) {
  return FormatGrouped(count, seps.Thousands) + L" bytes";
}

// A path that fits its field at the window's present width; a longer one
// shows its end (the file's name) behind "...", so it never runs over the
// label or the frame. The completion line names the destination in full.
std::wstring FittedPath(const std::wstring& path) {
  return FitFromEnd(Printable(path), Con::GetWindowWidth() - FieldChrome);
}

// Blanks the sixteen rows the box takes, each ending where the box's right
// border will stand, and returns how far the buffer scrolled meanwhile (0, or
// negative when the rows reached past the buffer's last row).
int BlankRows(int top, int firstColumn) {
  Con::SetCursorRow(ToCell(top));
  Con::SetCursorCol(static_cast<int16_t>(firstColumn));
  for (int i = 0; i < BoxRows; ++i) {
    const int count = Con::GetWindowWidth() - 1 - (i == 0 ? firstColumn : 0);
    Con::WriteText(std::wstring(static_cast<size_t>(std::max(count, 0)), L' '), true);
  }
  return std::min(Con::GetCursorRow() - BoxRows - top, 0);
}

bool BoxFits() {
  return Con::GetWindowWidth() >= MinBoxWidth && Con::GetWindowHeight() >= MinBoxHeight;
}

// Paints the box from `top`, its first row from `firstColumn`.
void PaintBox(int top, int firstColumn) {
  View.Mode = Shown::Box;
  View.Top = top + BlankRows(top, firstColumn);
  View.Under = View.Top + BoxRows;
  const LocaleSeparators seps = UserSeparators();
  Con::SetCursorCol(static_cast<int16_t>(firstColumn));
  Con::SetCursorRow(ToCell(View.Top));
  const std::wstring values[BoxRows] = {
      L"", FittedPath(View.Painted.SourcePath), Bytes(View.Painted.StartOffset, seps),
      Bytes(View.Painted.SourceSize, seps), L"", FittedPath(View.Painted.DestPath), L"", L"",
      FormatDateTime(View.Painted.StartTime, seps.Time)};
  for (int i = 0; i < BoxRows; ++i) DrawRow(View.Top, i, values[i]);
}

// Plain lines from the cursor's row on, which starts clean.
void StartLines() {
  View.Mode = Shown::Lines;
  if (Con::GetCursorCol() > 0) Con::WriteText(L"", true);
  View.Top = View.Under = Con::GetCursorRow();
  View.LineShown = false;
}

// The cursor to the start of the row under the box. The move goes out with a
// line end on the bottom border's row (which changes no cell), so that the
// terminal's own cursor stands there too, not where the last field ended.
void RestUnderBox() {
  Con::SetCursorCol(0);
  Con::SetCursorRow(ToCell(View.Under - 1));
  Con::WriteText(L"", true);
}

// False while what the progress shows can't be rewritten in place: the
// window was resized (or, on a terminal, the program was stopped and
// continued), so its rows may have moved, wrapped or gone. Nothing is drawn
// over them again: plain lines go on from the cursor's row, and a box is
// painted anew there once the window has kept its size for a moment.
bool InPlace() {
  if (!View.Displaced && View.Top >= Con::GetWindowTop()) return true;
  const int width = Con::GetWindowWidth();
  const int height = Con::GetWindowHeight();
  const DWORD tick = CurrentTickCount();
  if (!View.Displaced || width != View.DisplacedWidth || height != View.DisplacedHeight) {
    View.Displaced = true;
    View.DisplacedTick = tick;
    View.DisplacedWidth = width;
    View.DisplacedHeight = height;
    View.Under = Con::GetCursorRow();
    if (View.Mode == Shown::Box) return false;
  }
  if (View.Mode == Shown::Box && tick - View.DisplacedTick < SettleTime) return false;
  View.Displaced = false;
  Con::SetCursorCol(0);
  Con::SetCursorRow(ToCell(View.Under));
  if (View.Mode == Shown::Box && BoxFits())
    PaintBox(View.Under, 0);
  else
    StartLines();
  return true;
}

// Updates the kept texts and works out this refresh's figures.
Figures TakeFigures(int64_t startOffset, int64_t sourceSize, int64_t totalBytes,
                const SYSTEMTIME& startTime) {
  const LocaleSeparators seps = UserSeparators();
  Figures figures;
  figures.Total = FormatGrouped(totalBytes, seps.Thousands);
  if (sourceSize > 0)
    View.PercentText = FormatPercent(
        static_cast<double>(totalBytes) / static_cast<double>(sourceSize), seps.Decimal);
  SYSTEMTIME now = {};
  CurrentLocalTime(now);
  const int64_t elapsed = SecondsBetween(startTime, now);
  if (elapsed <= 0) return figures;
  const double rate = static_cast<double>(totalBytes - startOffset) / static_cast<double>(elapsed);
  View.ThroughputText = FormatGrouped(RoundToInt32(rate / 1024.0), seps.Thousands);
  figures.Elapsed = FormatTimeOfDay(elapsed, seps.Time);
  if (rate <= 0) return figures;  // nothing written yet: no estimate to give
  // Beyond 32 bits of seconds (68 years) the estimate is held at the bound.
  const int32_t remaining = RoundToInt32(static_cast<double>(sourceSize - totalBytes) / rate);
  View.RemainingText = FormatRemaining(remaining);
  figures.EndTime = FormatDateTime(AddSeconds(now, remaining), seps.Time);
  return figures;
}

// Rewrites the fields that change, at most six rows, each from column 0 as
// the box painted them.
void RedrawFields(int top, int64_t sourceSize, const Figures& figures) {
  Con::SetCursorCol(0);
  Con::SetCursorRow(ToCell(top));
  DrawRow(top, TargetSizeRow, figures.Total + L" bytes");
  if (sourceSize > 0) DrawRow(top, PercentRow, View.PercentText);
  if (figures.Elapsed.empty()) return;
  DrawRow(top, ElapsedRow, figures.Elapsed);
  DrawRow(top, ThroughputRow, View.ThroughputText);
  if (figures.EndTime.empty()) return;
  DrawRow(top, RemainingRow, View.RemainingText);
  DrawRow(top, EndTimeRow, figures.EndTime);
}

// One line such as "Copied 1,310,720,000 of 4,294,967,296 bytes (30.52%),
// 64,000 KB/sec, 00:00:46 remaining", now and then. In a console
// each is written over the one before, padded to its length, and the cursor
// rests at the start of the row below.
void WritePlainLine(int64_t sourceSize, const Figures& figures) {
  const DWORD tick = CurrentTickCount();
  const DWORD interval = View.Mode == Shown::Lines ? ConsoleLineInterval : PlainLineInterval;
  if (tick - View.LastPlainTick < interval) return;
  View.LastPlainTick = tick;
  std::wstring line =
      L"Copied " + figures.Total + L" of " + Bytes(sourceSize, UserSeparators());
  if (!View.PercentText.empty()) line += L" (" + View.PercentText + L")";
  if (!View.ThroughputText.empty()) line += L", " + View.ThroughputText + L" KB/sec";
  if (!View.RemainingText.empty()) line += L", " + View.RemainingText + L" remaining";
  if (View.Mode == Shown::Lines) {
    const int columns = TextColumns(line);
    line.append(static_cast<size_t>(std::max(View.LastPlainLength - columns, 0)), L' ');
    View.LastPlainLength = std::max(columns, View.LastPlainLength);
    if (View.LineShown) {
      Con::SetCursorCol(0);
      Con::SetCursorRow(ToCell(View.Top));
    }
  }
  Con::WriteText(line, true);
  View.LineShown = true;
  if (View.Mode == Shown::Lines) View.Under = Con::GetCursorRow();
}

// The refresh proper. Its first query of the screen sees any resize; the
// rest of each row's moves and colours follow from it.
void Redraw(int64_t sourceSize, const Figures& figures) {
  if (View.Mode != Shown::Nothing && !InPlace()) return;
  if (View.Mode == Shown::Box && BoxFits()) {
    RedrawFields(View.Top, sourceSize, figures);
    RestUnderBox();
    return;
  }
  if (View.Mode == Shown::Box) {
    // The window no longer holds the box: lines from under it on.
    Con::SetCursorCol(0);
    Con::SetCursorRow(ToCell(View.Under));
    StartLines();
  }
  WritePlainLine(sourceSize, figures);
}

}  // namespace

void PaintProgress(int16_t boxTopRow, int16_t boxLeftCol, const std::wstring& sourcePath,
                   const std::wstring& destPath, int64_t startOffset, int64_t sourceSize,
                   const SYSTEMTIME& startTime) {
  View = {};
  View.Painted = {sourcePath, destPath, startOffset, sourceSize, startTime};
  View.LastPlainTick = CurrentTickCount();
  View.Top = View.Under = boxTopRow;
  const int width = Con::GetWindowWidth();
  if (width <= 1) return;  // no console: plain lines only
  if (BoxFits()) {
    // The box starts where the cursor stands, unless its top border would not
    // fit there; its other rows start in column 0.
    PaintBox(boxTopRow,
             boxLeftCol >= 0 && boxLeftCol <= width - TopBorderWidth ? boxLeftCol : 0);
  } else {
    StartLines();
  }
  Con::SetForeColor(Con::LightGreen);
}

void RefreshProgress(int64_t startOffset, int64_t sourceSize, int64_t totalBytes,
                     const SYSTEMTIME& startTime) {
  const Figures figures = TakeFigures(startOffset, sourceSize, totalBytes, startTime);
  Con::HoldScreen(true);
  Redraw(sourceSize, figures);
  Con::HoldScreen(false);
}

int16_t RowUnderProgress() { return ToCell(View.Under); }

bool ProgressLineDue() { return false; }

}  // namespace modFileIO
