// Windows and messages on POSIX: a terminal has no windows, so every search
// finds nothing, every change is refused as for a window that doesn't exist,
// and there are never messages waiting.
#include "platform/platform.h"

namespace {

const DWORD kInvalidWindow = 1400;  // ERROR_INVALID_WINDOW_HANDLE

template <typename Result>
Result NoWindow(Result result) {
  SetLastError(kInvalidWindow);
  return result;
}

}  // namespace

HWND WINAPI FindWindowA(LPCSTR, LPCSTR) {
  SetLastError(NO_ERROR);
  return nullptr;
}

// The thread has no windows: the enumeration ends at once without calling
// back.
BOOL WINAPI EnumThreadWindows(DWORD, WNDENUMPROC, LPARAM) {
  SetLastError(NO_ERROR);
  return FALSE;
}

LONG WINAPI GetWindowLongA(HWND, int) { return NoWindow<LONG>(0); }
BOOL WINAPI ShowWindow(HWND, int) { return NoWindow<BOOL>(FALSE); }
BOOL WINAPI IsIconic(HWND) { return NoWindow<BOOL>(FALSE); }
BOOL WINAPI SetForegroundWindow(HWND) { return NoWindow<BOOL>(FALSE); }
HWND WINAPI GetForegroundWindow(void) { return nullptr; }

DWORD WINAPI GetWindowThreadProcessId(HWND, LPDWORD lpdwProcessId) {
  if (lpdwProcessId) *lpdwProcessId = 0;
  return NoWindow<DWORD>(0);
}

BOOL WINAPI AttachThreadInput(DWORD, DWORD, BOOL) { return NoWindow<BOOL>(FALSE); }
HMENU WINAPI GetSystemMenu(HWND, BOOL) { return NoWindow<HMENU>(nullptr); }
BOOL WINAPI RemoveMenu(HMENU, UINT, UINT) { return NoWindow<BOOL>(FALSE); }
BOOL WINAPI PeekMessageA(LPMSG, HWND, UINT, UINT, UINT) { return FALSE; }
BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }
LRESULT WINAPI DispatchMessageA(const MSG*) { return 0; }
