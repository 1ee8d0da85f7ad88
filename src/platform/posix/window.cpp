// Placeholder: every call fails with ERROR_CALL_NOT_IMPLEMENTED until implemented.
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include "platform/platform.h"

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) { return nullptr; }
BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam) { return 0; }
LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) { return 0; }
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) { return 0; }
BOOL WINAPI IsIconic(HWND hWnd) { return 0; }
BOOL WINAPI SetForegroundWindow(HWND hWnd) { return 0; }
HWND WINAPI GetForegroundWindow(void) { return nullptr; }
DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) { return 0; }
BOOL WINAPI AttachThreadInput(DWORD idAttach, DWORD idAttachTo, BOOL fAttach) { return 0; }
HMENU WINAPI GetSystemMenu(HWND hWnd, BOOL bRevert) { return nullptr; }
BOOL WINAPI RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) { return 0; }
BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) { return 0; }
BOOL WINAPI TranslateMessage(const MSG* lpMsg) { return 0; }
LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) { return 0; }
