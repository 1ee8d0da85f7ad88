// A file's information by its name, through a handle that may only query.
#include "platform/platform.h"

BOOL WINAPI GetFileInformationByPath(LPCSTR path, LPBY_HANDLE_FILE_INFORMATION info) {
  const HANDLE query = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
  if (query == INVALID_HANDLE_VALUE) return FALSE;
  const BOOL answered = GetFileInformationByHandle(query, info);
  const DWORD error = GetLastError();
  CloseHandle(query);
  SetLastError(error);
  return answered;
}
