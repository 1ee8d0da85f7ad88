// The Win32 console calls on POSIX. A handle that is not a console (a file or
// a pipe) fails every console call with ERROR_INVALID_HANDLE, as a redirected
// handle does on Windows, and leaves the caller's record untouched.
#include <cstring>

#include "platform/posix/console_handles.h"

namespace {

// The console kind behind a handle, or null with the last error set.
template <class Kind>
Kind* AsConsole(HANDLE handle) {
  PosixHandle* object = FromHandle(handle);
  if (!object) return nullptr;
  Kind* console = dynamic_cast<Kind*>(object);
  if (!console) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return console->Open() ? console : nullptr;
}

BOOL InvalidParameter() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

// Output modes a console accepts: processed, wrap, virtual terminal,
// no auto return, grid lines.
constexpr DWORD kOutputModes = 0x1F;

}  // namespace

BOOL WINAPI GetConsoleMode(HANDLE hConsoleHandle, LPDWORD lpMode) {
  PosixHandle* object = FromHandle(hConsoleHandle);
  if (!object) return FALSE;
  if (auto* output = dynamic_cast<ConsoleOutput*>(object)) {
    if (!output->Open()) return FALSE;
    if (!lpMode) return InvalidParameter();
    *lpMode = output->screen.Mode();
    return TRUE;
  }
  auto* input = AsConsole<ConsoleInput>(hConsoleHandle);
  if (!input) return FALSE;
  if (!lpMode) return InvalidParameter();
  return input->GetMode(*lpMode);
}

BOOL WINAPI SetConsoleMode(HANDLE hConsoleHandle, DWORD dwMode) {
  PosixHandle* object = FromHandle(hConsoleHandle);
  if (!object) return FALSE;
  if (auto* output = dynamic_cast<ConsoleOutput*>(object)) {
    if (!output->Open()) return FALSE;
    if (dwMode & ~kOutputModes) return InvalidParameter();
    output->screen.SetMode(dwMode);
    return TRUE;
  }
  auto* input = AsConsole<ConsoleInput>(hConsoleHandle);
  return input ? input->SetMode(dwMode) : FALSE;
}

BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE hConsoleOutput, PCONSOLE_SCREEN_BUFFER_INFO lpInfo) {
  auto* output = AsConsole<ConsoleOutput>(hConsoleOutput);
  if (!output) return FALSE;
  if (!lpInfo) return InvalidParameter();
  output->screen.GetInfo(*lpInfo);
  return TRUE;
}

BOOL WINAPI SetConsoleTextAttribute(HANDLE hConsoleOutput, WORD wAttributes) {
  auto* output = AsConsole<ConsoleOutput>(hConsoleOutput);
  return output ? output->screen.SetAttribute(wAttributes) : FALSE;
}

BOOL WINAPI SetConsoleCursorPosition(HANDLE hConsoleOutput, COORD dwCursorPosition) {
  auto* output = AsConsole<ConsoleOutput>(hConsoleOutput);
  return output ? output->screen.SetCursor(dwCursorPosition) : FALSE;
}

DWORD WINAPI GetConsoleTitleA(LPSTR lpConsoleTitle, DWORD nSize) {
  return CurrentSession().GetTitle(lpConsoleTitle, nSize);
}

BOOL WINAPI SetConsoleTitleA(LPCSTR lpConsoleTitle) {
  if (!lpConsoleTitle) return InvalidParameter();
  return CurrentSession().SetTitle(lpConsoleTitle);
}

// The console's code pages on POSIX: UTF-8, as every code page here.
UINT WINAPI GetConsoleOutputCP(void) { return CP_UTF8; }
UINT WINAPI GetConsoleCP(void) { return CP_UTF8; }

BOOL WINAPI FlushConsoleInputBuffer(HANDLE hConsoleInput) {
  auto* input = AsConsole<ConsoleInput>(hConsoleInput);
  return input ? input->Flush() : FALSE;
}

BOOL WINAPI ReadConsoleA(HANDLE hConsoleInput, LPVOID lpBuffer, DWORD nNumberOfCharsToRead,
                         LPDWORD lpNumberOfCharsRead, LPVOID) {
  auto* input = AsConsole<ConsoleInput>(hConsoleInput);
  if (!input) return FALSE;
  if (!lpBuffer || !lpNumberOfCharsRead) return InvalidParameter();
  return input->ReadChars(static_cast<char*>(lpBuffer), nNumberOfCharsToRead, *lpNumberOfCharsRead);
}

BOOL WINAPI WriteConsoleA(HANDLE hConsoleOutput, const void* lpBuffer, DWORD nNumberOfCharsToWrite,
                          LPDWORD lpNumberOfCharsWritten, LPVOID) {
  if (lpNumberOfCharsWritten) *lpNumberOfCharsWritten = 0;
  auto* output = AsConsole<ConsoleOutput>(hConsoleOutput);
  if (!output) return FALSE;
  if (!lpBuffer && nNumberOfCharsToWrite > 0) return InvalidParameter();
  return output->Write(lpBuffer, nNumberOfCharsToWrite, lpNumberOfCharsWritten);
}

// A terminal's font belongs to the terminal: it is reported as unknown (no
// size, no face) and never changed.
BOOL WINAPI GetCurrentConsoleFontEx(HANDLE hConsoleOutput, BOOL, PCONSOLE_FONT_INFOEX lpConsoleCurrentFontEx) {
  if (!AsConsole<ConsoleOutput>(hConsoleOutput)) return FALSE;
  if (!lpConsoleCurrentFontEx || lpConsoleCurrentFontEx->cbSize != sizeof(CONSOLE_FONT_INFOEX))
    return InvalidParameter();
  std::memset(lpConsoleCurrentFontEx, 0, sizeof(CONSOLE_FONT_INFOEX));
  lpConsoleCurrentFontEx->cbSize = sizeof(CONSOLE_FONT_INFOEX);
  return TRUE;
}

BOOL WINAPI SetCurrentConsoleFontEx(HANDLE hConsoleOutput, BOOL, PCONSOLE_FONT_INFOEX lpConsoleCurrentFontEx) {
  if (!AsConsole<ConsoleOutput>(hConsoleOutput)) return FALSE;
  if (!lpConsoleCurrentFontEx || lpConsoleCurrentFontEx->cbSize != sizeof(CONSOLE_FONT_INFOEX))
    return InvalidParameter();
  return TRUE;
}

// A POSIX system has no console windows: none can be made, released or found.
BOOL WINAPI AllocConsole(void) {
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}

BOOL WINAPI FreeConsole(void) {
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}

HWND WINAPI GetConsoleWindow(void) { return nullptr; }
