// How the program was launched: the build variant, the parent process's image
// path on each Windows family, and the host kind made of both.
#include <algorithm>
#include <cwctype>
#include <string>

#include "console/Con.h"
#include "console/ConHostCalls.h"
#include "console/ConState.h"
#include "platform/textconv.h"

namespace Con {

HostCalls RealHostCalls() {
  const OptionalCalls& optional = SystemCalls();
  return HostCalls{&GetVersionExA,
                   optional.Snapshot,
                   optional.FirstProcess,
                   optional.NextProcess,
                   &OpenProcess,
                   optional.ModuleFileNameEx,
                   optional.ImageFileName,
                   &GetLogicalDriveStringsA,
                   optional.DosDevice,
                   &GetEnvironmentVariableA,
                   &CloseHandle,
                   optional.ConsoleWindow,
                   optional.GetFontEx,
                   optional.SetFontEx};
}

HostCalls HostPlatform = RealHostCalls();

namespace {

const DWORD kQueryAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
// Device targets longer than this are not a drive's: stop doubling there
// rather than trust a platform that keeps asking for more.
const size_t kMaxTargetChars = 1 << 20;

// The layout of PROCESS_BASIC_INFORMATION, of which only the inherited-from
// id is read. Declared here because the platform headers publish it only
// with the native API.
struct BasicProcessRecord {
  LONG ExitStatus;
  void* PebBaseAddress;
  ULONG_PTR AffinityMask;
  LONG BasePriority;
  ULONG_PTR UniqueProcessId;
  ULONG_PTR InheritedFromUniqueProcessId;
};
static_assert(sizeof(BasicProcessRecord) == (sizeof(void*) == 4 ? 24 : 48),
              "the record is 24 bytes in a 32-bit process, 48 in a 64-bit one");
static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32) == 296,
              "the 32-bit process record is 296 bytes");
static_assert(sizeof(void*) != 8 || sizeof(PROCESSENTRY32) == 304,
              "the 64-bit process record is 304 bytes");

typedef LONG(WINAPI* QueryInformationProcessCall)(HANDLE process, ULONG infoClass, void* info,
                                                  ULONG length, ULONG* returned);

// Text of `length` bytes from a platform buffer, never past its end.
std::wstring BufferText(const char* buffer, DWORD length, size_t capacity) {
  return FromAnsi(std::string(buffer, std::min<size_t>(length, capacity)));
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::wstring ReadEnvironment(const char* name) {
  std::string value(MAX_PATH, '\0');
  DWORD length = HostPlatform.EnvironmentVariable(name, &value[0], MAX_PATH);
  if (length >= MAX_PATH) {
    // Too small: the answer is the size needed, its NUL included.
    value.assign(length, '\0');
    length = HostPlatform.EnvironmentVariable(name, &value[0], length);
    if (length >= value.size()) return std::wstring();
  }
  value.resize(length);
  return FromAnsi(value);
}

// Walks the snapshot from its first record to the one of `processId`.
bool FindProcessRecord(HANDLE snapshot, DWORD processId, PROCESSENTRY32& entry) {
  entry = PROCESSENTRY32();
  entry.dwSize = sizeof(entry);
  for (BOOL more = HostPlatform.FirstProcess(snapshot, &entry); more;
       more = HostPlatform.NextProcess(snapshot, &entry)) {
    if (entry.th32ProcessID == processId) return true;
  }
  return false;
}

// The NT family before version 5 has no process list: the native query of
// the program's own process names the parent.
std::wstring ParentPathByQuery(DWORD ownId) {
  if (!IsFunctionExported(L"ntdll", L"NtQueryInformationProcess")) return std::wstring();
  const HMODULE ntdll = GetModuleHandleA("ntdll");
  const FARPROC found = ntdll ? GetProcAddress(ntdll, "NtQueryInformationProcess") : nullptr;
  HANDLE own = HostPlatform.OpenProc(kQueryAccess, FALSE, ownId);
  if (own && found) {
    const QueryInformationProcessCall query =
        reinterpret_cast<QueryInformationProcessCall>(reinterpret_cast<void (*)()>(found));
    BasicProcessRecord record = {};
    if (query(own, 0, &record, sizeof(record), nullptr) == 0) {
      ParentPid = static_cast<DWORD>(record.InheritedFromUniqueProcessId);
    }
  }
  if (own) HostPlatform.Close(own);
  return GetProcessImagePath(ParentPid);
}

// The NT family from version 5 on and the older family: the process list
// names the parent; only the NT family can open it for its full path.
std::wstring ParentPathBySnapshot(DWORD ownId, bool ntFamily) {
  // NT 4.0 has no process list at all: as if no snapshot could be taken.
  if (!HostPlatform.Snapshot || !HostPlatform.FirstProcess || !HostPlatform.NextProcess) {
    return std::wstring();
  }
  HANDLE snapshot = HostPlatform.Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE || snapshot == nullptr) return std::wstring();
  PROCESSENTRY32 entry;
  if (FindProcessRecord(snapshot, ownId, entry)) ParentPid = entry.th32ParentProcessID;
  std::wstring path;
  if (ntFamily) {
    path = GetProcessImagePath(ParentPid);
  } else if (FindProcessRecord(snapshot, ParentPid, entry)) {
    path = TrimNull(BufferText(entry.szExeFile, MAX_PATH, MAX_PATH));
  }
  HostPlatform.Close(snapshot);
  return path;
}

// The target of one drive name ("C:"), the NULs that end it cut off; empty
// when the drive can't be queried.
std::string DriveTarget(const std::string& drive) {
  if (!HostPlatform.DosDevice) return std::string();
  std::string target(MAX_PATH, '\0');
  DWORD count =
      HostPlatform.DosDevice(drive.c_str(), &target[0], static_cast<DWORD>(target.size()));
  while (count == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER &&
         target.size() < kMaxTargetChars) {
    target.assign(target.size() * 2, '\0');
    count = HostPlatform.DosDevice(drive.c_str(), &target[0], static_cast<DWORD>(target.size()));
  }
  // The count takes in the NUL after the name and the one after the list.
  if (count < 2) return std::string();
  target.resize(std::min<size_t>(count, target.size()) - 2);
  return target;
}

}  // namespace

bool IsCompiled() {
  // The hosted variant is a build of its own; nothing at run time tells the
  // two apart.
#if defined(BLKCOPY_HOSTED) && BLKCOPY_HOSTED
  return false;
#else
  return true;
#endif
}

std::wstring GetParentImagePath() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  HostPlatform.VersionEx(&version);
  const DWORD ownId = GetCurrentProcessId();
  if (!Compiled) {
    // Hosted, the environment's own executable stands in for the parent.
    ParentPid = ownId;
    return GetProcessImagePath(0);
  }
  const bool ntFamily = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
  if (ntFamily && version.dwMajorVersion < 5) return ParentPathByQuery(ownId);
  return ParentPathBySnapshot(ownId, ntFamily);
}

std::wstring GetProcessImagePath(DWORD processId) {
  char buffer[MAX_PATH] = {};
  if (processId == 0) {
    return BufferText(buffer, GetModuleFileNameA(nullptr, buffer, MAX_PATH), MAX_PATH);
  }
  // Without psapi (95/98/Me) another process's path can't be read at all.
  if (!HostPlatform.ModuleFileNameEx) return std::wstring();
  HANDLE process = HostPlatform.OpenProc(kQueryAccess, FALSE, processId);
  if (!process) return std::wstring();
  std::wstring path;
  const DWORD length = HostPlatform.ModuleFileNameEx(process, nullptr, buffer, MAX_PATH);
  if (length > 0) {
    path = BufferText(buffer, length, MAX_PATH);
  } else if (GetLastError() == ERROR_PARTIAL_COPY && HostPlatform.ImageFileName) {
    // A process of another word width hides its module list; its image name
    // is still there, as a device path (from XP on).
    const DWORD deviceLength = HostPlatform.ImageFileName(process, buffer, MAX_PATH);
    if (deviceLength > 0) path = DevicePathToDosPath(BufferText(buffer, deviceLength, MAX_PATH));
  }
  HostPlatform.Close(process);
  return path;
}

std::wstring DevicePathToDosPath(const std::wstring& devicePath) {
  const DWORD needed = HostPlatform.DriveStrings(0, nullptr);
  std::string drives(needed + 1, '\0');
  const DWORD filled = HostPlatform.DriveStrings(needed, &drives[0]);
  // More than asked for: the drives changed in between and nothing was filled.
  if (filled == 0 || filled > needed) return std::wstring();
  size_t start = 0;
  while (start < filled) {
    const size_t end = std::min<size_t>(drives.find('\0', start), filled);
    const std::string entry = drives.substr(start, end - start);
    start = end + 1;
    if (entry.empty()) continue;
    const std::string drive = entry.substr(0, entry.find('\\'));
    const std::wstring target = FromAnsi(DriveTarget(drive));
    if (target.empty() || devicePath.size() <= target.size()) continue;
    // A target must end at a separator in the device path, or volume 1 would
    // claim the files of volume 10.
    if (devicePath.compare(0, target.size(), target) == 0 && devicePath[target.size()] == L'\\') {
      return FromAnsi(drive) + devicePath.substr(target.size());
    }
  }
  return std::wstring();
}

bool IsFunctionExported(const std::wstring& moduleName, const std::wstring& functionName) {
  const std::string module = ToAnsi(moduleName);
  HMODULE handle = GetModuleHandleA(module.c_str());
  const bool loadedHere = handle == nullptr;
  if (loadedHere) handle = LoadLibraryA(module.c_str());
  if (!handle) return false;
  const bool found = GetProcAddress(handle, ToAnsi(functionName).c_str()) != nullptr;
  if (loadedHere) FreeLibrary(handle);
  return found;
}

std::wstring TrimNull(const std::wstring& text) {
  const size_t nul = text.find(L'\0');
  if (nul != std::wstring::npos) return text.substr(0, nul);
  const size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return std::wstring();
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

int32_t GetHostKind() {
  if (ParentPath.empty()) return 0;
  if (!Compiled) return 4;
  const std::wstring parent = Lower(ParentPath);
  if (parent == Lower(ReadEnvironment("Comspec"))) return 1;
  // On the older family, programs in a console window have this system
  // module for a parent.
  return EndsWith(parent, L"winoa386.mod") ? 1 : 2;
}

}  // namespace Con
