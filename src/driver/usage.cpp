// The usage box shown for a command line the program can't use.
#include <string>
#include <vector>

#include "console/Con.h"
#include "driver/modMain.h"
#include "fileio/format.h"
#include "platform/platform.h"
#include "platform/textconv.h"

namespace modMain {
namespace {

const wchar_t TopLeft = L'\x2554';      // ╔
const wchar_t TopRight = L'\x2557';     // ╗
const wchar_t BottomLeft = L'\x255A';   // ╚
const wchar_t BottomRight = L'\x255D';  // ╝
const wchar_t Horizontal = L'\x2550';   // ═
const wchar_t Vertical = L'\x2551';     // ║

// The running program's file name without folder and extension.
std::wstring ProgramName() {
  char path[MAX_PATH] = {0};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::wstring name = FromAnsi(std::string(path, length < MAX_PATH ? length : MAX_PATH));
  const size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  const size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  // A renamed program file is a name like any other: shown, never obeyed.
  return name.empty() ? std::wstring(L"blkcopy") : modFileIO::Printable(name);
}

std::vector<std::wstring> UsageRows() {
  return {L"Usage: ",
          L"  " + ProgramName() + L" <sourcefilepath> <destfilepath> [bufsize] [/R] [/V]",
          L"Where:",
          L"  bufsize is an integer followed by 'B', 'K', or 'M'.  Default: 64K",
          L"  /R indicates copying should resume from last copy operation,",
          L"     appending <destfilepath> with implied offset in <sourcefilepath>"};
}

// A border row of the frame: w - 1 characters from the cursor's column.
void DrawBorder(wchar_t left, wchar_t right) {
  const int count = Con::GetWindowWidth() - 3;
  Con::WriteText(left + std::wstring(count > 0 ? count : 0, Horizontal) + right, true);
}

void DrawFramedUsage(const std::vector<std::wstring>& rows, bool waitForKey) {
  const int16_t col = Con::GetCursorCol();
  const int16_t row = Con::GetCursorRow();
  // The box's rows (a border, the texts, a border) and the prompt's.
  const size_t blankRows = rows.size() + 3;
  for (size_t i = 0; i < blankRows; ++i) {
    const int blanks = Con::GetWindowWidth() - 2;
    Con::WriteText(std::wstring(blanks > 0 ? blanks : 0, L' '), true);
  }
  Con::SetCursorCol(col);
  Con::SetCursorRow(row);
  DrawBorder(TopLeft, TopRight);
  for (const std::wstring& text : rows) {
    Con::WriteText(std::wstring(1, Vertical) + L" ");
    Con::WriteText(text);
    Con::SetCursorCol(static_cast<int16_t>(Con::GetWindowWidth() - 2));
    Con::WriteText(std::wstring(1, Vertical), true);
  }
  DrawBorder(BottomLeft, BottomRight);
  if (waitForKey) Con::Pause(std::wstring(), true);
}

}  // namespace

void ShowUsage(bool waitForKey) {
  const std::vector<std::wstring> rows = UsageRows();
  size_t widest = 0;
  for (const std::wstring& text : rows) widest = text.size() > widest ? text.size() : widest;
  // The frame needs its texts to fit between the borders. In a narrower window,
  // or when standard output is no console (the width then reads as 1), the
  // same texts go out as plain lines.
  const int width = Con::GetWindowWidth();
  if (width >= static_cast<int>(widest) + 4) {
    DrawFramedUsage(rows, waitForKey);
    return;
  }
  for (const std::wstring& text : rows) Con::WriteText(text, true);
  // A key wait nobody can see the prompt of would only hang a script.
  if (waitForKey && width > 1) Con::Pause(std::wstring(), true);
}

void ShowVersion() {
  // The build's version, the same that the Windows program's version
  // resource carries.
  Con::WriteText(L"blkcopy " + FromAnsi(BLKCOPY_VERSION), true);
}

}  // namespace modMain
