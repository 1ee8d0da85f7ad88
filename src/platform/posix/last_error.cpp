// GetLastError and SetLastError: each thread's last Win32 error code, as
// every call of this layer leaves it.
#include "platform/platform.h"

namespace {

thread_local DWORD LastError = NO_ERROR;

}  // namespace

DWORD WINAPI GetLastError(void) { return LastError; }
void WINAPI SetLastError(DWORD dwErrCode) { LastError = dwErrCode; }
