// The platform calls of the copy engine, kept in one record so that a test
// (or the test program's fault layer) can answer in the platform's place: a
// disk that fills, a read that fails, a flush that does not reach the disk,
// on either system. The engine makes every such call through FilePlatform.
// Private to src/fileio/ and its tests.
#pragma once

#include "platform/platform.h"

namespace modFileIO {

struct FileCalls {
  HANDLE(WINAPI* CreateFileA)(LPCSTR name, DWORD access, DWORD share,
                              LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                              HANDLE templateFile);
  BOOL(WINAPI* ReadFile)(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got,
                         LPOVERLAPPED overlapped);
  BOOL(WINAPI* WriteFile)(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD put,
                          LPOVERLAPPED overlapped);
  DWORD(WINAPI* SetFilePointer)(HANDLE file, LONG low, PLONG high, DWORD method);
  DWORD(WINAPI* GetFileSize)(HANDLE file, LPDWORD high);
  BOOL(WINAPI* FlushFileBuffers)(HANDLE file);
  DWORD(WINAPI* GetFileType)(HANDLE file);
  BOOL(WINAPI* GetFileInformationByHandle)(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info);
  BOOL(WINAPI* GetFileInformationByPath)(LPCSTR path, LPBY_HANDLE_FILE_INFORMATION info);
  BOOL(WINAPI* GetFileTime)(HANDLE file, FILETIME* created, FILETIME* accessed,
                            FILETIME* written);
  BOOL(WINAPI* SetFileTime)(HANDLE file, const FILETIME* created, const FILETIME* accessed,
                            const FILETIME* written);
  BOOL(WINAPI* LockFile)(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD sizeLow,
                         DWORD sizeHigh);
  BOOL(WINAPI* UnlockFile)(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD sizeLow,
                           DWORD sizeHigh);
  BOOL(WINAPI* CloseHandle)(HANDLE object);
  BOOL(WINAPI* GetDiskFreeSpaceA)(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                                  LPDWORD freeClusters, LPDWORD totalClusters);
  LPVOID(WINAPI* VirtualAlloc)(LPVOID address, SIZE_T size, DWORD type, DWORD protect);
  BOOL(WINAPI* VirtualFree)(LPVOID address, SIZE_T size, DWORD type);
  BOOL(WINAPI* DeviceIoControl)(HANDLE file, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped);
  DWORD(WINAPI* GetFileAttributesA)(LPCSTR name);
  BOOL(WINAPI* DeleteFileA)(LPCSTR name);
};

// The calls in use: the platform's own unless a test replaced them.
extern FileCalls FilePlatform;

}  // namespace modFileIO
