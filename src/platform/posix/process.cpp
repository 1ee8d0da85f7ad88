// Placeholder: every call fails with ERROR_CALL_NOT_IMPLEMENTED until implemented.
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include "platform/platform.h"

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) { return 0; }
DWORD WINAPI GetCurrentProcessId(void) { return 0; }
DWORD WINAPI GetCurrentThreadId(void) { return 0; }
HANDLE WINAPI OpenProcess(DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwProcessId) { return nullptr; }
HANDLE WINAPI CreateToolhelp32Snapshot(DWORD dwFlags, DWORD th32ProcessID) { return INVALID_HANDLE_VALUE; }
BOOL WINAPI Process32First(HANDLE hSnapshot, LPPROCESSENTRY32 lppe) { return 0; }
BOOL WINAPI Process32Next(HANDLE hSnapshot, LPPROCESSENTRY32 lppe) { return 0; }
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) { return 0; }
DWORD WINAPI GetModuleFileNameExA(HANDLE hProcess, HMODULE hModule, LPSTR lpFilename, DWORD nSize) { return 0; }
DWORD WINAPI GetProcessImageFileNameA(HANDLE hProcess, LPSTR lpImageFileName, DWORD nSize) { return 0; }
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) { return nullptr; }
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) { return nullptr; }
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) { return nullptr; }
BOOL WINAPI FreeLibrary(HMODULE hLibModule) { return 0; }
DWORD WINAPI GetLogicalDriveStringsA(DWORD nBufferLength, LPSTR lpBuffer) { return 0; }
DWORD WINAPI QueryDosDeviceA(LPCSTR lpDeviceName, LPSTR lpTargetPath, DWORD ucchMax) { return 0; }
DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) { return 0; }
[[noreturn]] void WINAPI ExitProcess(UINT uExitCode) { for (;;) {} }
