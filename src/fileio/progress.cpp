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
// A console showing plain lines is looked at this often, so that a window
// grown back to hold the box gets one soon after it has kept its size.
const DWORD LookInterval = 250;
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
  ThroughputRow = 13, PercentRow = 14, BottomRow = 15
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
  DWORD LastLookTick = 0;
  int LastPlainLength = 0;
  int PaintedWidth = 0;    // the window's width when the box was painted
  // Durations come from the tick, never from the wall clock, which NTP, the
  // end of summer time or a user may step. The tick wraps after 49.7 days:
  // each look adds the difference since the last one, so a copy may run on.
  DWORD LastTick = 0;
  int64_t ElapsedMs = 0;
  // A window too small for the box that then grows again: its size and since
  // when it has kept it.
  int FitWidth = 0;
  int FitHeight = 0;
  DWORD FitTick = 0;
  // The read-back pass after the copy: its size, when it began, and the
  // blocks since its last redraw.
  bool Verifying = false;
  int64_t VerifyTotal = 0;
  int64_t VerifyStartMs = 0;
  int VerifyBlocks = 0;
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
  std::wstring Done;     // the bytes copied (or compared), "#,##0"
  std::wstring Elapsed;  // empty within the first second
  std::wstring EndTime;  // empty while there is no rate
};

// Milliseconds since the paint, by the tick.
int64_t ElapsedMs() {
  const DWORD now = CurrentTickCount();
  View.ElapsedMs += static_cast<DWORD>(now - View.LastTick);
  View.LastTick = now;
  return View.ElapsedMs;
}

// While the copy is read back, the percentage's row and the bottom border say so.
const wchar_t* LabelOf(int index) {
  if (View.Verifying && index == PercentRow) return L"% verified";
  if (View.Verifying && index == BottomRow) return L"Verify";
  return Rows[index].Label;
}

void DrawRow(int top, int index, const std::wstring& value) {
  const BoxRow& row = Rows[index];
  DrawBoxLine(ToCell(top + index), LabelOf(index), value, row.LabelColour, row.ValueColour,
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
  View.PaintedWidth = Con::GetWindowWidth();
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
  View.LastPlainLength = 0;
}

// A line that says what the plain lines after it are about, written once
// (a log of a long copy is read later, without the command that made it).
void Announce(const std::wstring& text) {
  if (View.Mode == Shown::Box) return;
  if (View.Mode == Shown::Lines) {
    Con::SetCursorCol(0);
    Con::SetCursorRow(ToCell(View.Under));
  }
  WriteWrapped(text);
  if (View.Mode == Shown::Lines) StartLines();
}

// "Copying SRC to DST: 4,294,967,296 bytes from byte 0, started 2024-03-01 09:15:02".
void AnnounceCopy() {
  const LocaleSeparators seps = UserSeparators();
  const auto& painted = View.Painted;
  Announce(L"Copying " + painted.SourcePath + L" to " + painted.DestPath + L": " +
           Bytes(painted.SourceSize, seps) + L" from byte " +
           FormatGrouped(painted.StartOffset, seps.Thousands) + L", started " +
           FormatDateTime(painted.StartTime, seps.Time));
}

// The cursor to the start of the row under the box, where typed keys a
// terminal echoes by itself (Wine's console can't stop that) and the break
// line land, never inside the box. The move goes out with a line end on the
// bottom border's row (which changes no cell), so that the terminal's own
// cursor stands there too, not where the last field ended.
void RestUnderBox() {
  Con::SetCursorCol(0);
  Con::SetCursorRow(ToCell(View.Under - 1));
  Con::WriteText(L"", true);
}

// True once a console too small for the box has grown to hold one and kept
// that size for a moment.
bool BoxCanReturn() {
  if (View.Mode != Shown::Lines || !BoxFits()) {
    View.FitWidth = View.FitHeight = 0;
    return false;
  }
  const DWORD tick = CurrentTickCount();
  const int width = Con::GetWindowWidth();
  const int height = Con::GetWindowHeight();
  if (width != View.FitWidth || height != View.FitHeight) {
    View.FitWidth = width;
    View.FitHeight = height;
    View.FitTick = tick;
    return false;
  }
  return tick - View.FitTick >= SettleTime;
}

// False while what the progress shows can't be rewritten in place: the
// window was resized (or, on a terminal, the program was stopped and
// continued), so its rows may have moved, wrapped or gone. Nothing is drawn
// over them again: plain lines go on from the cursor's row, and a box is
// painted anew there once the window has kept its size for a moment.
bool InPlace() {
  const int width = Con::GetWindowWidth();
  const bool sameWidth = View.Mode != Shown::Box || width == View.PaintedWidth;
  if (!View.Displaced && sameWidth && View.Top >= Con::GetWindowTop()) return true;
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

// Updates the kept texts and works out this refresh's figures: `done` of
// `size` bytes, at the rate of `measured` bytes over `measuredMs`.
Figures TakeFigures(int64_t done, int64_t size, int64_t measured, int64_t measuredMs) {
  const LocaleSeparators seps = UserSeparators();
  Figures figures;
  figures.Done = FormatGrouped(done, seps.Thousands);
  if (size > 0)
    View.PercentText =
        FormatPercent(static_cast<double>(done) / static_cast<double>(size), seps.Decimal);
  if (measuredMs < 1000) return figures;
  const double rate = static_cast<double>(measured) * 1000.0 / static_cast<double>(measuredMs);
  View.ThroughputText = FormatGrouped(RoundToInt32(rate / 1024.0), seps.Thousands);
  figures.Elapsed = FormatDuration(View.ElapsedMs / 1000, seps.Time);
  if (rate <= 0) return figures;  // nothing written yet: no estimate to give
  // Beyond 32 bits of seconds (68 years) the estimate is held at the bound.
  const int32_t remaining = RoundToInt32(static_cast<double>(size - done) / rate);
  View.RemainingText = FormatRemaining(remaining);
  // The end is a time on the wall clock, as the start is: read it now.
  SYSTEMTIME now = {};
  CurrentLocalTime(now);
  figures.EndTime = FormatDateTime(AddSeconds(now, remaining), seps.Time);
  return figures;
}

// Rewrites the fields that change, at most six rows, each from column 0 as
// the box painted them. The read-back leaves the target's size as copied.
void RedrawFields(int top, int64_t size, const Figures& figures) {
  Con::SetCursorCol(0);
  Con::SetCursorRow(ToCell(top));
  if (!View.Verifying) DrawRow(top, TargetSizeRow, figures.Done + L" bytes");
  if (size > 0) DrawRow(top, PercentRow, View.PercentText);
  if (figures.Elapsed.empty()) return;
  DrawRow(top, ElapsedRow, figures.Elapsed);
  DrawRow(top, ThroughputRow, View.ThroughputText);
  if (figures.EndTime.empty()) return;
  DrawRow(top, RemainingRow, View.RemainingText);
  DrawRow(top, EndTimeRow, figures.EndTime);
}

// One line such as "Copied 1,310,720,000 of 4,294,967,296 bytes (30.52%),
// 64,000 KB/sec, 00:00:46 remaining" ("Verified ..." while the copy is read
// back), now and then. In a console each is written over the one before,
// padded to its length, and the cursor rests at the start of the row below.
void WritePlainLine(int64_t size, const Figures& figures) {
  const DWORD tick = CurrentTickCount();
  const DWORD interval = View.Mode == Shown::Lines ? ConsoleLineInterval : PlainLineInterval;
  if (tick - View.LastPlainTick < interval) return;
  View.LastPlainTick = tick;
  std::wstring line = std::wstring(View.Verifying ? L"Verified " : L"Copied ") + figures.Done +
                      L" of " + Bytes(size, UserSeparators());
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
void Redraw(int64_t size, const Figures& figures) {
  View.LastLookTick = CurrentTickCount();
  if (View.Mode != Shown::Nothing && !InPlace()) return;
  if (BoxCanReturn()) {
    Con::SetCursorCol(0);
    Con::SetCursorRow(ToCell(View.Under));
    PaintBox(View.Under, 0);
  }
  if (View.Mode == Shown::Box && BoxFits()) {
    RedrawFields(View.Top, size, figures);
    RestUnderBox();
    return;
  }
  if (View.Mode == Shown::Box) {
    // The window no longer holds the box: lines from under it on.
    Con::SetCursorCol(0);
    Con::SetCursorRow(ToCell(View.Under));
    StartLines();
  }
  WritePlainLine(size, figures);
}

void Show(int64_t size, const Figures& figures) {
  Con::HoldScreen(true);
  Redraw(size, figures);
  Con::HoldScreen(false);
}

void ShowVerify(int64_t verifiedBytes) {
  const int64_t verifyMs = ElapsedMs() - View.VerifyStartMs;
  Show(View.VerifyTotal, TakeFigures(verifiedBytes, View.VerifyTotal, verifiedBytes, verifyMs));
}

}  // namespace

void PaintProgress(int16_t boxTopRow, int16_t boxLeftCol, const std::wstring& sourcePath,
                   const std::wstring& destPath, int64_t startOffset, int64_t sourceSize,
                   const SYSTEMTIME& startTime) {
  View = {};
  View.Painted = {sourcePath, destPath, startOffset, sourceSize, startTime};
  View.LastTick = View.LastPlainTick = View.LastLookTick = CurrentTickCount();
  View.Top = View.Under = boxTopRow;
  const int width = Con::GetWindowWidth();
  if (width <= 1) {
    AnnounceCopy();  // no console: plain lines only
    return;
  }
  if (BoxFits()) {
    // The box starts where the cursor stands, unless its top border would not
    // fit there; its other rows start in column 0.
    PaintBox(boxTopRow,
             boxLeftCol >= 0 && boxLeftCol <= width - TopBorderWidth ? boxLeftCol : 0);
  } else {
    StartLines();
    AnnounceCopy();
  }
  Con::SetForeColor(Con::LightGreen);
}

void RefreshProgress(int64_t startOffset, int64_t sourceSize, int64_t totalBytes) {
  const int64_t elapsedMs = ElapsedMs();
  Show(sourceSize, TakeFigures(totalBytes, sourceSize, totalBytes - startOffset, elapsedMs));
}

bool ProgressLineDue() {
  switch (View.Mode) {
    case Shown::Nothing:
      return CurrentTickCount() - View.LastPlainTick >= PlainLineInterval;
    case Shown::Lines:
      return CurrentTickCount() - View.LastLookTick >= LookInterval;
    default:
      return false;
  }
}

void BeginVerifyProgress(int64_t totalBytes) {
  View.Verifying = true;
  View.VerifyTotal = totalBytes;
  View.VerifyStartMs = ElapsedMs();
  View.VerifyBlocks = 0;
  View.ThroughputText.clear();
  View.RemainingText.clear();
  Announce(L"Verifying: reading the source and the destination back to compare them");
  if (View.Mode == Shown::Box) {
    Con::HoldScreen(true);
    if (InPlace() && View.Mode == Shown::Box && BoxFits()) {
      for (int row : {EndTimeRow, RemainingRow, ThroughputRow, PercentRow, BottomRow})
        DrawRow(View.Top, row, L"");
      RestUnderBox();
    }
    Con::HoldScreen(false);
  }
  View.LastPlainTick = CurrentTickCount();
}

void RefreshVerifyProgress(int64_t verifiedBytes) {
  if (++View.VerifyBlocks < 100 && verifiedBytes < View.VerifyTotal && !ProgressLineDue()) return;
  View.VerifyBlocks = 0;
  ShowVerify(verifiedBytes);
}

int16_t RowUnderProgress() { return ToCell(View.Under); }

}  // namespace modFileIO
