// VirtualAlloc and VirtualFree over anonymous mappings: page-aligned blocks,
// as unbuffered transfers need, released whole.
#include <sys/mman.h>

#include <map>
#include <mutex>

#include "platform/platform.h"

namespace {

std::mutex RegionLock;
std::map<void*, size_t> Regions;  // VirtualAlloc'd blocks and their sizes

}  // namespace

LPVOID WINAPI VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType,
                           DWORD flProtect) {
  if (lpAddress != nullptr || dwSize == 0 || !(flAllocationType & MEM_COMMIT) ||
      flProtect != PAGE_READWRITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* block = ::mmap(nullptr, dwSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(RegionLock);
  Regions[block] = dwSize;
  return block;
}

BOOL WINAPI VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType) {
  std::lock_guard<std::mutex> guard(RegionLock);
  const auto region = Regions.find(lpAddress);
  if (dwFreeType != MEM_RELEASE || dwSize != 0 || region == Regions.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ::munmap(region->first, region->second);
  Regions.erase(region);
  return TRUE;
}
