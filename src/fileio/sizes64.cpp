// 64-bit sizes over Win32's two 32-bit halves.
#include "fileio/file_calls.h"
#include "fileio/modFileIO.h"

namespace modFileIO {

int64_t HalvesToSize(uint32_t low, int32_t high) {
  return static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32 | low);
}

void SizeToHalves(int64_t size, uint32_t& low, int32_t& high) {
  const uint64_t bits = static_cast<uint64_t>(size);
  low = static_cast<uint32_t>(bits & 0xFFFFFFFFu);
  high = static_cast<int32_t>(static_cast<uint32_t>(bits >> 32));
}

// SetFilePointer's own test of success: INVALID_SET_FILE_POINTER is also the
// low half of a valid position, so only the last error tells.
bool SetFilePointer64(HANDLE file, int64_t distance, DWORD method) {
  uint32_t low = 0;
  int32_t high = 0;
  SizeToHalves(distance, low, high);
  LONG highPart = high;
  SetLastError(NO_ERROR);
  return FilePlatform.SetFilePointer(file, static_cast<LONG>(low), &highPart, method) !=
             INVALID_SET_FILE_POINTER ||
         GetLastError() == NO_ERROR;
}

int64_t GetFileSize64(HANDLE file) {
  DWORD high = 0;
  const DWORD low = FilePlatform.GetFileSize(file, &high);
  return HalvesToSize(low, static_cast<int32_t>(high));
}

}  // namespace modFileIO
