// The probes behind the advice of the engine's messages.
#include "fileio/advice_probes.h"

#include "fileio/file_calls.h"
#include "platform/textconv.h"

namespace modFileIO {
namespace {

// The root GetDiskFreeSpaceA asks about: a drive's or a share's root, else the
// file's folder (empty for the current one).
std::string VolumeOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + "\\";
  if (path.rfind("\\\\", 0) == 0) {
    const size_t server = path.find('\\', 2);
    const size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
    return share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
  }
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

DWORD DiskSectorBytes(const std::wstring& path) {
  std::string ansi;
  if (path.empty() || !PathToAnsi(path, ansi)) return 0;
  const std::string volume = VolumeOf(ansi);
  DWORD perCluster = 0, sector = 0, free = 0, total = 0;
  if (!FilePlatform.GetDiskFreeSpaceA(volume.empty() ? nullptr : volume.c_str(), &perCluster,
                                      &sector, &free, &total))
    return 0;
  return sector;
}

bool HiddenOrSystem(const std::wstring& path) {
  std::string ansi;
  if (path.empty() || !PathToAnsi(path, ansi)) return false;
  const DWORD attributes = FilePlatform.GetFileAttributesA(ansi.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

bool IsDosDeviceName(const std::wstring& path) {
  std::wstring name = path.substr(path.find_last_of(L"\\/:") + 1);
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && name.back() == L' ') name.pop_back();
  for (wchar_t& c : name)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  if (name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"NUL") return true;
  return name.size() == 4 && (name.compare(0, 3, L"COM") == 0 || name.compare(0, 3, L"LPT") == 0) &&
         name[3] >= L'1' && name[3] <= L'9';
}

}  // namespace modFileIO
