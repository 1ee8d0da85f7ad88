// GetDiskFreeSpaceA over statvfs and the block device's own queue limits: the
// sector size it reports is the one O_DIRECT transfers must be whole
// multiples of.
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "platform/platform.h"
#include "platform/posix/handle.h"

namespace {

DWORD ReadNumber(const std::string& path) {
  std::ifstream in(path);
  unsigned long value = 0;
  return in >> value ? static_cast<DWORD>(value) : 0;
}

// A partition's queue belongs to the disk it lies on, one folder up. Where the
// device has no queue of its own (a file system in memory, on the network),
// our unbuffered handles apply the smallest sector.
DWORD LogicalSectorBytes(dev_t device) {
  const std::string base = "/sys/dev/block/" + std::to_string(major(device)) + ":" +
                           std::to_string(minor(device));
  DWORD bytes = ReadNumber(base + "/queue/logical_block_size");
  if (bytes == 0) bytes = ReadNumber(base + "/../queue/logical_block_size");
  return bytes != 0 ? bytes : SmallestSectorBytes;
}

}  // namespace

BOOL WINAPI GetDiskFreeSpaceA(LPCSTR lpRootPathName, LPDWORD lpSectorsPerCluster,
                              LPDWORD lpBytesPerSector, LPDWORD lpNumberOfFreeClusters,
                              LPDWORD lpTotalNumberOfClusters) {
  const char* path = lpRootPathName && *lpRootPathName ? lpRootPathName : ".";
  struct stat info;
  struct statvfs space;
  if (::stat(path, &info) != 0 || ::statvfs(path, &space) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  const DWORD sector = LogicalSectorBytes(info.st_dev);
  const uint64_t clusterBytes = space.f_frsize ? space.f_frsize : space.f_bsize;
  const DWORD perCluster = clusterBytes >= sector ? static_cast<DWORD>(clusterBytes / sector) : 1;
  const auto clusters = [](uint64_t count) {
    return static_cast<DWORD>(count > 0xFFFFFFFFull ? 0xFFFFFFFFull : count);
  };
  if (lpSectorsPerCluster) *lpSectorsPerCluster = perCluster;
  if (lpBytesPerSector) *lpBytesPerSector = sector;
  if (lpNumberOfFreeClusters) *lpNumberOfFreeClusters = clusters(space.f_bavail);
  if (lpTotalNumberOfClusters) *lpTotalNumberOfClusters = clusters(space.f_blocks);
  SetLastError(NO_ERROR);
  return TRUE;
}
