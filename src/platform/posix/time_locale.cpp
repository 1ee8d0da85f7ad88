// Placeholder: every call fails with ERROR_CALL_NOT_IMPLEMENTED until implemented.
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include "platform/platform.h"

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {}
DWORD WINAPI GetTickCount(void) { return 0; }
void WINAPI Sleep(DWORD dwMilliseconds) {}
