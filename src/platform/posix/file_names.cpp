// Calls on a file by its name rather than a handle: its attributes and its
// removal.
#include <sys/stat.h>
#include <cerrno>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/handle.h"

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  struct stat info;
  if (lpFileName == nullptr || ::stat(lpFileName, &info) != 0) {
    SetLastErrorFromErrno(lpFileName == nullptr ? EINVAL : errno);
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) attributes |= FILE_ATTRIBUTE_DEVICE;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  if (lpFileName != nullptr && ::unlink(lpFileName) == 0) return TRUE;
  SetLastErrorFromErrno(lpFileName == nullptr ? EINVAL : errno);
  return FALSE;
}
