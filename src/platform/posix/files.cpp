// Placeholder: every call fails with ERROR_CALL_NOT_IMPLEMENTED until implemented.
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include "platform/platform.h"
#include "platform/posix/handle.h"

namespace {
thread_local DWORD LastError = 0;
}

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) { return INVALID_HANDLE_VALUE; }
BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead, LPOVERLAPPED) { PosixHandle* h = FromHandle(hFile); return h ? h->Read(lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead) : FALSE; }
BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED) { PosixHandle* h = FromHandle(hFile); return h ? h->Write(lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten) : FALSE; }
DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) { return 0; }
DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) { return 0; }
BOOL WINAPI FlushFileBuffers(HANDLE hFile) { return 0; }
BOOL WINAPI GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpInfo) { return 0; }
BOOL WINAPI CloseHandle(HANDLE hObject) { PosixHandle* h = FromHandle(hObject); return h ? h->Close() : FALSE; }
DWORD WINAPI GetLastError(void) { return LastError; }
void WINAPI SetLastError(DWORD dwErrCode) { LastError = dwErrCode; }
LPVOID WINAPI VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType, DWORD flProtect) { return nullptr; }
BOOL WINAPI VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType) { return 0; }
