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

// The screen buffer as it is now; all zeros when hConOut is not a console.
CONSOLE_SCREEN_BUFFER_INFO ScreenInfo() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  std::memset(&info, 0, sizeof info);
  OutputPlatform.ScreenInfo(hConOut, &info);
  return info;
}

// The bytes that show the text on the target. A console decodes with its own
// output code page, so é and the frame characters appear as themselves; a
// file or pipe gets the ANSI code page, as every other program text.
std::string BytesFor(HANDLE target, const std::wstring& text) {
  DWORD mode = 0;
  const UINT codePage =
      OutputPlatform.GetMode(target, &mode) ? OutputPlatform.OutputCodePage() : CP_ACP;
  std::string bytes;
  WideToCodePage(text, codePage, bytes, false);
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
    const int32_t width = GetBufferWidth();
    const int32_t length = TextColumns(text);
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
  if (!OutputPlatform.Write(target, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr))
    return 0;
  return static_cast<int32_t>(written);
}

void SetForeColor(int32_t colour) {
  if (colour < 0 || colour > 15) return;
  const WORD current = ScreenInfo().wAttributes;
  OutputPlatform.SetAttribute(hConOut, static_cast<WORD>((current & 0xFFF0) | colour));
}

// The cell flags (bits 8-15) are not carried over, unlike SetForeColor.
void SetBackColor(int32_t colour) {
  if (colour < 0 || colour > 15) return;
  const WORD current = ScreenInfo().wAttributes;
  OutputPlatform.SetAttribute(hConOut, static_cast<WORD>(colour * 16 + (current & 0x0F)));
}

int32_t GetForeColor() { return ScreenInfo().wAttributes & 0x0F; }

int32_t GetBackColor() { return (ScreenInfo().wAttributes >> 4) & 0x0F; }

void SetCursorCol(int16_t col) {
  const CONSOLE_SCREEN_BUFFER_INFO info = ScreenInfo();
  const COORD cell{Limit(col, static_cast<int16_t>(info.dwSize.X - 1)), info.dwCursorPosition.Y};
  OutputPlatform.SetCursor(hConOut, cell);
}

void SetCursorRow(int16_t row) {
  const CONSOLE_SCREEN_BUFFER_INFO info = ScreenInfo();
  const COORD cell{info.dwCursorPosition.X, Limit(row, static_cast<int16_t>(info.dwSize.Y - 1))};
  OutputPlatform.SetCursor(hConOut, cell);
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
