// Placeholder for console window location and control.
#include "console/Con.h"
#include "console/ConState.h"

namespace Con {
HWND GetConsoleHwnd() { return nullptr; }
HWND FindConsoleWindow(const std::wstring&) { return nullptr; }
HWND CreateOwnConsole() { return nullptr; }
HWND FindThreadWindow() { return nullptr; }
BOOL CALLBACK EnumThreadWndProc(HWND, LPARAM) { return TRUE; }
void ShowAppWindow(bool) {}
bool ActivateWindow(bool) { return false; }
}  // namespace Con
