// The console window: finding it, a console of our own for the hosted run,
// the thread's own window, and bringing the console to the front.
#include <algorithm>
#include <cstdio>
#include <string>

#include "console/Con.h"
#include "console/ConHostCalls.h"
#include "console/ConState.h"
#include "platform/textconv.h"

namespace Con {

namespace {

const DWORD kTitleChars = 1024;
// The longest title a console keeps is far shorter; the buffer stops growing
// here all the same.
const DWORD kMostTitleChars = 65536;

// The console's whole title, in a buffer that grows until the title fits:
// it is put back after the search, and must come back as it was.
template <typename Char, typename Read>
std::basic_string<Char> ReadWholeTitle(Read read) {
  for (DWORD size = kTitleChars;; size *= 2) {
    std::basic_string<Char> buffer(size, Char());
    const DWORD length = read(&buffer[0], size);
    if (length > 0 && length < size - 1) return buffer.substr(0, length);
    if (length == 0 || size >= kMostTitleChars) return buffer.substr(0, buffer.find(Char()));
  }
}

std::string ReadConsoleTitle() {
  return ReadWholeTitle<char>([](char* buffer, DWORD size) {
    return GetConsoleTitleA(buffer, size);
  });
}

// A title no other window carries: the local time to the second and our
// process id.
std::string UniqueTitle() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  char title[64];
  std::snprintf(title, sizeof(title), "%04u%02u%02u%02u%02u%02u%lX", unsigned(now.wYear),
                unsigned(now.wMonth), unsigned(now.wDay), unsigned(now.wHour),
                unsigned(now.wMinute), unsigned(now.wSecond),
                static_cast<unsigned long>(GetCurrentProcessId()));
  return title;
}

}  // namespace

HWND GetConsoleHwnd() {
  if (hConWnd) return hConWnd;
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  HostPlatform.VersionEx(&version);
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5 &&
      HostPlatform.ConsoleWindow) {
    hConWnd = HostPlatform.ConsoleWindow();
    return hConWnd;
  }
  // Older systems have no call for it: give the console a title nobody else
  // has, look for a window with it, and put the user's title back.
  // Where the wide title calls exist (NT 4.0) the title is kept exactly; the
  // ANSI calls keep what the code page holds.
  const OptionalCalls& calls = SystemCalls();
  const bool wide = calls.GetTitleW && calls.SetTitleW;
  std::wstring keptWide;
  if (wide)
    keptWide = ReadWholeTitle<wchar_t>([&](wchar_t* buffer, DWORD size) {
      return calls.GetTitleW(buffer, size);
    });
  const std::string kept = wide ? std::string() : ReadConsoleTitle();
  const std::string unique = UniqueTitle();
  if (SetConsoleTitleA(unique.c_str())) {
    hConWnd = FindConsoleWindow(FromAnsi(unique));
    if (wide)
      calls.SetTitleW(keptWide.c_str());
    else
      SetConsoleTitleA(kept.c_str());
  }
  return hConWnd;
}

HWND FindConsoleWindow(const std::wstring& title) {
  // A title just set needs a moment to reach the window.
  Sleep(10);
  const std::string text = ToAnsi(title);
  HWND window = FindWindowA("ConsoleWindowClass", text.c_str());
  if (!window) window = FindWindowA("tty", text.c_str());
  if (!window) window = FindWindowA(nullptr, text.c_str());
  return window;
}

HWND CreateOwnConsole() {
  AllocConsole();
  HWND window = FindConsoleWindow(FromAnsi(ReadConsoleTitle()));
  DWORD owner = 0;
  if (window) GetWindowThreadProcessId(window, &owner);
  // A window of another process that carries the same title is not ours to
  // touch.
  if (!window || owner != GetCurrentProcessId()) return nullptr;
  // Closing the window would end the environment that hosts us.
  RemoveMenu(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND);
  SetForegroundWindow(window);
  return window;
}

HWND FindThreadWindow() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), EnumThreadWndProc, reinterpret_cast<LPARAM>(&found));
  return found;
}

BOOL CALLBACK EnumThreadWndProc(HWND window, LPARAM result) {
  if ((GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) == 0) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

void ShowAppWindow(bool show) { ShowWindow(FindThreadWindow(), show ? SW_SHOW : SW_HIDE); }

bool ActivateWindow(bool force) {
  HWND window = hConWnd;
  if (!window) return false;
  ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window);
  if (GetForegroundWindow() == window) return true;
  if (!force) return false;
  // The system lets only the foreground thread hand the foreground on: join
  // its input for the one call, and part again whatever the call answered.
  const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const DWORD ownThread = GetCurrentThreadId();
  if (foregroundThread == ownThread) return SetForegroundWindow(window) != FALSE;
  AttachThreadInput(foregroundThread, ownThread, TRUE);
  const BOOL done = SetForegroundWindow(window);
  AttachThreadInput(foregroundThread, ownThread, FALSE);
  return done != FALSE;
}

}  // namespace Con
