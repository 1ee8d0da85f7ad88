// Text output, colours, cursor, widths and title of the console layer. Every
// operation asks the console afresh, so a resize or another program's change
// is always seen; on a redirected standard output the queries read as zeros.
#include <algorithm>
#include <cstring>

#include "console/Con.h"
#include "console/ConOutputCalls.h"
#include "console/ConState.h"
#include "platform/textconv.h"

namespace Con {

OutputCalls OutputPlatform;

namespace {

// While a caller holds the screen, the first query's answer serves the
// queries after it, kept true by the layer's own moves, colours and plain
// writes; whatever the layer can't follow (a line end, a wrap, text it
// can't count cells for, standard error) drops it, and the next query asks
// the console again.
struct HeldScreen {
  bool On = false;
  bool Known = false;
  CONSOLE_SCREEN_BUFFER_INFO Info;
} Held;

// The screen buffer as it is now; all zeros when hConOut is not a console.
CONSOLE_SCREEN_BUFFER_INFO ScreenInfo() {
  if (Held.On && Held.Known) return Held.Info;
  CONSOLE_SCREEN_BUFFER_INFO info;
  std::memset(&info, 0, sizeof info);
  OutputPlatform.ScreenInfo(hConOut, &info);
  if (Held.On) {
    Held.Info = info;
    Held.Known = true;
  }
  return info;
}

bool HeldAttributeIs(WORD attribute) {
  return Held.On && Held.Known && Held.Info.wAttributes == attribute;
}

void SetAttribute(WORD attribute) {
  if (HeldAttributeIs(attribute)) return;
  if (OutputPlatform.SetAttribute(hConOut, attribute) && Held.Known) Held.Info.wAttributes = attribute;
}

void SetCursor(COORD cell) {
  const COORD& at = Held.Info.dwCursorPosition;
  if (Held.On && Held.Known && at.X == cell.X && at.Y == cell.Y) return;
  if (OutputPlatform.SetCursor(hConOut, cell) && Held.Known) Held.Info.dwCursorPosition = cell;
}

// After a write of `text` to `target`: the held cursor moves on by the text's
// cells only where each character takes one cell for certain (printable
// ASCII) and the text ends before the buffer's last column.
void FollowWrite(HANDLE target, const std::wstring& text) {
  if (!Held.Known) return;
  bool plain = target == hConOut;
  for (wchar_t c : text) plain = plain && c >= 0x20 && c < 0x7F;
  const int column = Held.Info.dwCursorPosition.X + static_cast<int>(text.size());
  if (plain && column < Held.Info.dwSize.X - 1)
    Held.Info.dwCursorPosition.X = static_cast<int16_t>(column);
  else
    Held.Known = false;
}

// The mode and output code page of the standard handles stay as they are for
// the whole run: each target is asked once, not at every write.
struct TargetCodePage {
  HANDLE Target = nullptr;
  UINT CodePage = CP_ACP;
};
TargetCodePage KnownTargets[2];

// A console decodes with its own output code page, so é and the frame
// characters appear as themselves; a file or pipe gets the ANSI code page, as
// every other program text.
UINT CodePageFor(HANDLE target) {
  for (const TargetCodePage& known : KnownTargets)
    if (known.Target == target && target != nullptr) return known.CodePage;
  DWORD mode = 0;
  const UINT codePage =
      OutputPlatform.GetMode(target, &mode) ? OutputPlatform.OutputCodePage() : CP_ACP;
  KnownTargets[target == hConErr && target != hConOut ? 1 : 0] = {target, codePage};
  return codePage;
}

// The bytes that show the text on the target.
std::string BytesFor(HANDLE target, const std::wstring& text) {
  std::string bytes;
  WideToCodePage(text, CodePageFor(target), bytes, false);
  return bytes;
}

int16_t Limit(int16_t value, int16_t last) {
  return std::max<int16_t>(0, std::min(value, last));
}

}  // namespace

int32_t WriteText(const std::wstring& text, bool newLine, int32_t stream, int32_t align) {
  std::wstring copy = text;
  HANDLE target = hConErr;
  if (stream != 1) {
    target = hConOut;
    // Only centring and right alignment need the width: a plain write asks
    // the console nothing before it writes.
    const bool measured = align == 2 || align == 3;
    const int32_t width = measured ? GetBufferWidth() : 0;
    const int32_t length = measured ? TextColumns(text) : 0;
    if (align == 1) {
      SetCursorCol(0);
    } else if (align == 2 && length < width) {
      SetCursorCol(static_cast<int16_t>((width - length) / 2));
    } else if (align == 3) {
      SetCursorCol(static_cast<int16_t>(std::max(width - length, 0)));
    }
  }
  if (newLine && align != 3) copy += L"\r\n";
  if (copy.empty()) return 0;
  const std::string bytes = BytesFor(target, copy);
  DWORD written = 0;
  const BOOL done =
      OutputPlatform.Write(target, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (done)
    FollowWrite(target, copy);
  else
    Held.Known = false;
  return done ? static_cast<int32_t>(written) : 0;
}

void HoldScreen(bool hold) {
  Held.On = hold;
  Held.Known = false;
}

void ForgetTargetModes() {
  for (TargetCodePage& known : KnownTargets) known = TargetCodePage();
}

void SetForeColor(int32_t colour) {
  if (colour < 0 || colour > 15) return;
  const WORD current = ScreenInfo().wAttributes;
  SetAttribute(static_cast<WORD>((current & 0xFFF0) | colour));
}

// The cell flags (bits 8-15) are not carried over, unlike SetForeColor.
void SetBackColor(int32_t colour) {
  if (colour < 0 || colour > 15) return;
  const WORD current = ScreenInfo().wAttributes;
  SetAttribute(static_cast<WORD>(colour * 16 + (current & 0x0F)));
}

int32_t GetForeColor() { return ScreenInfo().wAttributes & 0x0F; }

int32_t GetBackColor() { return (ScreenInfo().wAttributes >> 4) & 0x0F; }

void SetCursorCol(int16_t col) {
  const CONSOLE_SCREEN_BUFFER_INFO info = ScreenInfo();
  SetCursor(COORD{Limit(col, static_cast<int16_t>(info.dwSize.X - 1)), info.dwCursorPosition.Y});
}

void SetCursorRow(int16_t row) {
  const CONSOLE_SCREEN_BUFFER_INFO info = ScreenInfo();
  SetCursor(COORD{info.dwCursorPosition.X, Limit(row, static_cast<int16_t>(info.dwSize.Y - 1))});
}

int16_t GetCursorCol() { return ScreenInfo().dwCursorPosition.X; }

int16_t GetCursorRow() { return ScreenInfo().dwCursorPosition.Y; }

int16_t GetBufferWidth() { return ScreenInfo().dwSize.X; }

int16_t GetWindowWidth() {
  const SMALL_RECT window = ScreenInfo().srWindow;
  return static_cast<int16_t>(window.Right - window.Left + 1);
}

int16_t GetWindowHeight() {
  const SMALL_RECT window = ScreenInfo().srWindow;
  return static_cast<int16_t>(window.Bottom - window.Top + 1);
}

int16_t GetWindowTop() { return ScreenInfo().srWindow.Top; }

// The console's ANSI title calls decode with the console's code page.
void SetTitle(const std::wstring& title) {
  std::string bytes;
  WideToCodePage(title, OutputPlatform.InputCodePage(), bytes, false);
  OutputPlatform.SetTitle(bytes.c_str());
}

std::wstring GetTitle() {
  char buffer[1024];
  std::memset(buffer, ' ', sizeof buffer);
  const DWORD count =
      std::min<DWORD>(OutputPlatform.GetTitle(buffer, sizeof buffer), sizeof buffer);
  if (count == 0) return std::wstring();
  return CodePageToWide(std::string(buffer, count), OutputPlatform.InputCodePage());
}

int32_t CoordToLong(COORD position) {
  const uint32_t column = static_cast<uint16_t>(position.X);
  const uint32_t row = static_cast<uint16_t>(position.Y);
  return static_cast<int32_t>(column | (row << 16));
}

}  // namespace Con
