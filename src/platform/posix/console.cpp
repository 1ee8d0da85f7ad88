// Placeholder: every call fails with ERROR_CALL_NOT_IMPLEMENTED until implemented.
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include "platform/platform.h"

HANDLE WINAPI GetStdHandle(DWORD nStdHandle) { return nullptr; }
BOOL WINAPI GetConsoleMode(HANDLE hConsoleHandle, LPDWORD lpMode) { return 0; }
BOOL WINAPI SetConsoleMode(HANDLE hConsoleHandle, DWORD dwMode) { return 0; }
BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE hConsoleOutput, PCONSOLE_SCREEN_BUFFER_INFO lpInfo) { return 0; }
BOOL WINAPI SetConsoleTextAttribute(HANDLE hConsoleOutput, WORD wAttributes) { return 0; }
BOOL WINAPI SetConsoleCursorPosition(HANDLE hConsoleOutput, COORD dwCursorPosition) { return 0; }
DWORD WINAPI GetConsoleTitleA(LPSTR lpConsoleTitle, DWORD nSize) { return 0; }
BOOL WINAPI SetConsoleTitleA(LPCSTR lpConsoleTitle) { return 0; }
BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add) { return 0; }
UINT WINAPI GetConsoleOutputCP(void) { return 0; }
UINT WINAPI GetConsoleCP(void) { return 0; }
BOOL WINAPI FlushConsoleInputBuffer(HANDLE hConsoleInput) { return 0; }
BOOL WINAPI ReadConsoleA(HANDLE hConsoleInput, LPVOID lpBuffer, DWORD nNumberOfCharsToRead, LPDWORD lpNumberOfCharsRead, LPVOID pInputControl) { return 0; }
BOOL WINAPI WriteConsoleA(HANDLE hConsoleOutput, const void* lpBuffer, DWORD nNumberOfCharsToWrite, LPDWORD lpNumberOfCharsWritten, LPVOID lpReserved) { return 0; }
BOOL WINAPI GetCurrentConsoleFontEx(HANDLE hConsoleOutput, BOOL bMaximumWindow, PCONSOLE_FONT_INFOEX lpConsoleCurrentFontEx) { return 0; }
BOOL WINAPI SetCurrentConsoleFontEx(HANDLE hConsoleOutput, BOOL bMaximumWindow, PCONSOLE_FONT_INFOEX lpConsoleCurrentFontEx) { return 0; }
BOOL WINAPI AllocConsole(void) { return 0; }
BOOL WINAPI FreeConsole(void) { return 0; }
HWND WINAPI GetConsoleWindow(void) { return nullptr; }
