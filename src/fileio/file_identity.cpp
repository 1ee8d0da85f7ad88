// The identity of an open file, as the system names it.
#include "fileio/file_identity.h"

#include "fileio/file_calls.h"
#include "fileio/modFileIO.h"

namespace modFileIO {

bool SameFileHandles(HANDLE one, HANDLE other) {
  BY_HANDLE_FILE_INFORMATION first;
  BY_HANDLE_FILE_INFORMATION second;
  return FilePlatform.GetFileInformationByHandle(one, &first) &&
         FilePlatform.GetFileInformationByHandle(other, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace modFileIO

namespace modFileIO {

bool IsDeviceHandle(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return FilePlatform.GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
}

HANDLE OpenReaderOf(const std::string& ansiPath, HANDLE sameAs) {
  const HANDLE reader =
      FilePlatform.CreateFileA(ansiPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (reader == INVALID_HANDLE_VALUE || SameFileHandles(reader, sameAs)) return reader;
  FilePlatform.CloseHandle(reader);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}

bool ReadAt(HANDLE file, int64_t offset, char* buffer, DWORD size, DWORD& got) {
  got = 0;
  if (!SetFilePointer64(file, offset, FILE_BEGIN)) return false;
  while (got < size) {
    DWORD piece = 0;
    if (!FilePlatform.ReadFile(file, buffer + got, size - got, &piece, nullptr)) return false;
    if (piece == 0) break;
    got += piece;
  }
  return true;
}

}  // namespace modFileIO
