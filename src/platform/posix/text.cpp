// Placeholder: every call fails with ERROR_CALL_NOT_IMPLEMENTED until implemented.
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include "platform/platform.h"

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) { return 0; }
int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr, int cchWideChar) { return 0; }
UINT WINAPI GetACP(void) { return 0; }
LPWSTR WINAPI GetCommandLineW(void) { return nullptr; }
