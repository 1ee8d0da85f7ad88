// What Windows says about the file system under a path. Windows has no
// immutable or append-only attribute: a read-only file is refused as such.
#include <string>

#include "platform/platform.h"

namespace {

// The root GetVolumeInformationA wants: "C:\" or "\\server\share\", from the
// full path.
std::string RootOf(const std::string& path) {
  char full[MAX_PATH] = {0};
  char* name = nullptr;
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, &name);
  if (length == 0 || length >= MAX_PATH) return std::string();
  const std::string text(full, length);
  if (text.size() >= 3 && text[1] == ':' && text[2] == '\\') return text.substr(0, 3);
  if (text.compare(0, 2, "\\\\") != 0) return std::string();
  const size_t server = text.find('\\', 2);
  if (server == std::string::npos) return std::string();
  const size_t share = text.find('\\', server + 1);
  return share == std::string::npos ? text + "\\" : text.substr(0, share + 1);
}

}  // namespace

std::wstring FileSystemNameOf(const std::string& ansiPath) {
  const std::string root = RootOf(ansiPath);
  char type[MAX_PATH + 1] = {0};
  if (root.empty() || !GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr,
                                             nullptr, type, sizeof type))
    return std::wstring();
  // The system's type names (NTFS, FAT32, FAT, exFAT, CDFS) are ASCII.
  const std::string name(type);
  return std::wstring(name.begin(), name.end());
}

bool ImmutableOrAppendOnly(const std::string& /*ansiPath*/) { return false; }
