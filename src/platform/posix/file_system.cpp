// What the system says about the file system under a path and a file's
// attributes, for messages that name the true cause of a refused write.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/platform.h"

namespace {

// The path itself, or its folder when there is no such file (a destination
// not yet made); empty when neither exists. `info` gets its status.
std::string PathOrFolder(const std::string& path, struct stat& info) {
  if (::stat(path.c_str(), &info) == 0) return path;
  const size_t slash = path.find_last_of('/');
  const std::string folder =
      slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  return ::stat(folder.c_str(), &info) == 0 ? folder : std::string();
}

// The type /proc/self/mountinfo gives the mount of device `device`: the
// field after " - ", which for FUSE carries the subtype ("fuse.bindfs").
std::string MountType(dev_t device) {
  std::ifstream mounts("/proc/self/mountinfo");
  const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::string id, parent, numbers, field;
    if (!(fields >> id >> parent >> numbers) || numbers != wanted) continue;
    while (fields >> field && field != "-") {}
    if (fields >> field) return field;
  }
  return std::string();
}

// statfs' magic numbers of the common file systems, where the mount list
// has no entry for the device (a btrfs subvolume's own device number).
std::string MagicType(const std::string& path) {
  struct statfs info {};
  if (::statfs(path.c_str(), &info) != 0) return std::string();
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53: return "ext2/ext3/ext4";
    case 0x58465342: return "xfs";
    case 0x9123683E: return "btrfs";
    case 0x4D44: return "vfat";
    case 0x5346544E: return "ntfs";
    case 0x01021994: return "tmpfs";
    case 0x65735546: return "fuse";
  }
  return std::string();
}

}  // namespace

std::wstring FileSystemNameOf(const std::string& ansiPath) {
  struct stat info {};
  const std::string existing = PathOrFolder(ansiPath, info);
  if (existing.empty()) return std::wstring();
  std::string type = MountType(info.st_dev);
  if (type.empty()) type = MagicType(existing);
  // The kernel's type names are ASCII.
  return std::wstring(type.begin(), type.end());
}

bool ImmutableOrAppendOnly(const std::string& ansiPath) {
  // Reading the flags needs only a read-only descriptor, which an immutable
  // file still gives; O_NONBLOCK keeps a FIFO from holding the open.
  const int fd = ::open(ansiPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  const bool known = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  ::close(fd);
  return known && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
}
