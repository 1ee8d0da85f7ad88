// 64-bit sizes over Win32's two 32-bit halves.
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

int64_t GetFileSize64(HANDLE file) {
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  return HalvesToSize(low, static_cast<int32_t>(high));
}

}  // namespace modFileIO
