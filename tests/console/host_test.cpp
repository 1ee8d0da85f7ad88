// Host and parent-process detection against a platform that the test plays:
// each Windows family, a process list, drive letters and device targets.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "console/Con.h"
#include "console/ConHostCalls.h"
#include "console/ConState.h"

namespace {

struct FakeImage {
  std::string Module;  // what GetModuleFileNameExA answers; empty: it fails
  DWORD Error;         // ... with this error
  std::string Device;  // what GetProcessImageFileNameA answers
};

const HANDLE kSnapshot = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x5A50));

// What the platform answers; each test starts from these.
struct FakeHost {
  DWORD PlatformId = VER_PLATFORM_WIN32_NT;
  DWORD MajorVersion = 10;
  bool SnapshotWorks = true;
  std::vector<PROCESSENTRY32> Processes;
  size_t NextProcessIndex = 0;
  std::map<DWORD, FakeImage> Images;
  std::string DriveList = std::string(1, '\0');  // "C:\\\0D:\\\0" with its final NUL
  std::map<std::string, std::string> Targets;
  DWORD SmallestTargetBuffer = 0;  // below this, QueryDosDeviceA says 122
  std::vector<DWORD> TargetBufferSizes;
  const char* Comspec = nullptr;
  int OpenHandles = 0;
} Fake;

HANDLE ProcessHandleOf(DWORD id) {
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x10000 + id));
}
DWORD ProcessIdOf(HANDLE handle) {
  return static_cast<DWORD>(reinterpret_cast<uintptr_t>(handle) - 0x10000);
}

DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
  const size_t length = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return static_cast<DWORD>(length);
}

BOOL WINAPI FakeVersion(LPOSVERSIONINFOA info) {
  info->dwPlatformId = Fake.PlatformId;
  info->dwMajorVersion = Fake.MajorVersion;
  return TRUE;
}
HANDLE WINAPI FakeSnapshot(DWORD, DWORD) {
  if (!Fake.SnapshotWorks) return INVALID_HANDLE_VALUE;
  ++Fake.OpenHandles;
  return kSnapshot;
}
BOOL WINAPI FakeNextProcess(HANDLE snapshot, LPPROCESSENTRY32 entry) {
  EXPECT_EQ(snapshot, kSnapshot);
  EXPECT_EQ(entry->dwSize, sizeof(PROCESSENTRY32));
  if (Fake.NextProcessIndex >= Fake.Processes.size()) return FALSE;
  *entry = Fake.Processes[Fake.NextProcessIndex++];
  return TRUE;
}
BOOL WINAPI FakeFirstProcess(HANDLE snapshot, LPPROCESSENTRY32 entry) {
  Fake.NextProcessIndex = 0;
  return FakeNextProcess(snapshot, entry);
}
HANDLE WINAPI FakeOpen(DWORD access, BOOL, DWORD id) {
  EXPECT_EQ(access, DWORD(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ));
  if (Fake.Images.count(id) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ++Fake.OpenHandles;
  return ProcessHandleOf(id);
}
DWORD WINAPI FakeModuleFileNameEx(HANDLE process, HMODULE, LPSTR buffer, DWORD size) {
  const FakeImage& image = Fake.Images[ProcessIdOf(process)];
  if (image.Module.empty()) {
    SetLastError(image.Error);
    return 0;
  }
  return CopyOut(image.Module, buffer, size);
}
DWORD WINAPI FakeImageFileName(HANDLE process, LPSTR buffer, DWORD size) {
  return CopyOut(Fake.Images[ProcessIdOf(process)].Device, buffer, size);
}
DWORD WINAPI FakeDriveStrings(DWORD size, LPSTR buffer) {
  if (size < Fake.DriveList.size()) return static_cast<DWORD>(Fake.DriveList.size());
  std::memcpy(buffer, Fake.DriveList.data(), Fake.DriveList.size());
  return static_cast<DWORD>(Fake.DriveList.size() - 1);
}
DWORD WINAPI FakeDosDevice(LPCSTR device, LPSTR target, DWORD size) {
  Fake.TargetBufferSizes.push_back(size);
  const auto found = Fake.Targets.find(device);
  if (found == Fake.Targets.end()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  const std::string answer = found->second + std::string(2, '\0');
  if (size < Fake.SmallestTargetBuffer || size < answer.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(target, answer.data(), answer.size());
  return static_cast<DWORD>(answer.size());
}
DWORD WINAPI FakeEnvironment(LPCSTR name, LPSTR buffer, DWORD size) {
  EXPECT_STREQ(name, "Comspec");
  if (!Fake.Comspec) {
    SetLastError(203);
    return 0;
  }
  const DWORD length = static_cast<DWORD>(std::strlen(Fake.Comspec));
  if (length >= size) return length + 1;
  std::memcpy(buffer, Fake.Comspec, length + 1);
  return length;
}
BOOL WINAPI FakeClose(HANDLE) {
  --Fake.OpenHandles;
  return TRUE;
}

PROCESSENTRY32 Record(DWORD id, DWORD parent, const char* exe) {
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  entry.th32ProcessID = id;
  entry.th32ParentProcessID = parent;
  std::strncpy(entry.szExeFile, exe, MAX_PATH - 1);
  return entry;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SavedCompiled = Con::Compiled;
    Con::HostPlatform =
        Con::HostCalls{&FakeVersion,   &FakeSnapshot,         &FakeFirstProcess,  &FakeNextProcess,
                       &FakeOpen,      &FakeModuleFileNameEx, &FakeImageFileName, &FakeDriveStrings,
                       &FakeDosDevice, &FakeEnvironment,      &FakeClose,
                       nullptr,        nullptr,               nullptr};
    Fake = FakeHost();
    Con::Compiled = true;
    Con::ParentPath.clear();
    Con::ParentPid = 0;
  }
  void TearDown() override {
    Con::HostPlatform = Con::RealHostCalls();
    Con::Compiled = SavedCompiled;
    Con::ParentPath.clear();
    Con::ParentPid = 0;
    EXPECT_EQ(Fake.OpenHandles, 0) << "a handle was left open";
  }
  // Two volumes whose names differ only by a trailing digit.
  static void TwoVolumes() {
    Fake.DriveList = std::string("C:\\\0D:\\\0\0", 9);
    Fake.Targets["C:"] = "\\Device\\HarddiskVolume1";
    Fake.Targets["D:"] = "\\Device\\HarddiskVolume10";
  }
  static int32_t KindOf(const std::wstring& parent) {
    Con::ParentPath = parent;
    return Con::GetHostKind();
  }
  bool SavedCompiled = true;
};

TEST(TrimNull, CutsAtTheFirstNulAndTrimsOnlyTextWithout) {
  const std::pair<std::wstring, const wchar_t*> cases[] = {
      {L"", L""}, {std::wstring(L"\0cmd.exe", 8), L""}, {std::wstring(L"cmd.exe\0junk\0", 13), L"cmd.exe"},
      {std::wstring(L" cmd .exe \0x", 12), L" cmd .exe "}, {L"  far.exe  ", L"far.exe"}, {L"   ", L""}};
  for (const auto& [text, trimmed] : cases) EXPECT_EQ(Con::TrimNull(text), trimmed);
}

TEST_F(HostTest, HostKindTable) {
  Fake.Comspec = "C:\\WINDOWS\\system32\\cmd.exe";
  Con::Compiled = false;
  EXPECT_EQ(KindOf(L""), 0) << "no parent comes before the hosted run";
  EXPECT_EQ(KindOf(L"C:\\WINDOWS\\system32\\cmd.exe"), 4) << "hosted, whatever Comspec says";
  Con::Compiled = true;
  EXPECT_EQ(KindOf(L"c:\\windows\\SYSTEM32\\CMD.EXE"), 1);
  EXPECT_EQ(KindOf(L"D:\\other\\cmd.exe"), 2) << "the whole path must match";
  EXPECT_EQ(KindOf(L"C:\\WINDOWS\\SYSTEM\\WinOA386.Mod"), 1);
  EXPECT_EQ(KindOf(L"C:\\winoa386.mod\\far.exe"), 2) << "the name only counts at the end";
  EXPECT_EQ(KindOf(L"oa386.mod"), 2);
  Fake.Comspec = nullptr;
  EXPECT_EQ(KindOf(L"C:\\WINDOWS\\system32\\cmd.exe"), 2) << "unset Comspec";
  EXPECT_EQ(KindOf(L"C:\\WINDOWS\\SYSTEM\\WINOA386.MOD"), 1);
  const std::string longPath = "C:\\" + std::string(300, 'x') + "\\cmd.exe";
  Fake.Comspec = longPath.c_str();
  EXPECT_EQ(KindOf(std::wstring(longPath.begin(), longPath.end())), 1) << "longer than a path";
}

TEST_F(HostTest, DeviceToDrivePath) {
  TwoVolumes();
  EXPECT_EQ(Con::DevicePathToDosPath(L"\\Device\\HarddiskVolume1\\Windows\\cmd.exe"),
            L"C:\\Windows\\cmd.exe");
  // Volume 1's target is a prefix of volume 10's name, but not of its path.
  EXPECT_EQ(Con::DevicePathToDosPath(L"\\Device\\HarddiskVolume10\\Windows\\cmd.exe"),
            L"D:\\Windows\\cmd.exe");
  EXPECT_EQ(Con::DevicePathToDosPath(L"\\Device\\HarddiskVolume1"), L"") << "target alone";
  EXPECT_EQ(Con::DevicePathToDosPath(L"\\Device\\Mup\\server\\share\\cmd.exe"), L"");
  // The same volume under two letters: the platform's order decides. A drive
  // that can't be queried, or answers with nothing, is passed over.
  Fake.DriveList = std::string("A:\\\0B:\\\0E:\\\0C:\\\0\0", 17);
  Fake.Targets["B:"] = "";
  Fake.Targets["E:"] = Fake.Targets["C:"];
  EXPECT_EQ(Con::DevicePathToDosPath(L"\\Device\\HarddiskVolume1\\x"), L"E:\\x");
  Fake.DriveList.assign(1, '\0');
  EXPECT_EQ(Con::DevicePathToDosPath(L"\\Device\\HarddiskVolume1\\x"), L"") << "no drives";
}

TEST_F(HostTest, DeviceToDrivePathDoublesTheTargetBuffer) {
  TwoVolumes();
  Fake.SmallestTargetBuffer = 1000;
  EXPECT_EQ(Con::DevicePathToDosPath(L"\\Device\\HarddiskVolume1\\x"), L"C:\\x");
  EXPECT_EQ(Fake.TargetBufferSizes, (std::vector<DWORD>{260, 520, 1040}));
}

TEST_F(HostTest, ImagePaths) {
  const std::wstring own = Con::GetProcessImagePath(0);
  EXPECT_NE(own.find(L"blkcopy_tests"), std::wstring::npos);
  EXPECT_TRUE(std::ifstream(std::string(own.begin(), own.end()), std::ios::binary).good());
  TwoVolumes();
  // A process of another word width: its module list can't be read (299).
  Fake.Images[200] = {"", ERROR_PARTIAL_COPY, "\\Device\\HarddiskVolume10\\Windows\\cmd.exe"};
  EXPECT_EQ(Con::GetProcessImagePath(200), L"D:\\Windows\\cmd.exe");
  Fake.Images[300] = {"", ERROR_ACCESS_DENIED, "\\Device\\HarddiskVolume1\\cmd.exe"};
  EXPECT_EQ(Con::GetProcessImagePath(300), L"") << "only error 299 has a fallback";
  Fake.Images[400] = {"", ERROR_PARTIAL_COPY, "\\Device\\Floppy0\\x.exe"};
  EXPECT_EQ(Con::GetProcessImagePath(400), L"") << "a device no drive names";
  EXPECT_EQ(Con::GetProcessImagePath(500), L"") << "a process that can't be opened";
}

TEST_F(HostTest, NtFamilyFindsA64BitCommandInterpreter) {
  const DWORD own = GetCurrentProcessId();
  Fake.Processes = {Record(4, 0, "System"), Record(own, 200, "blkcopy.exe"),
                    Record(200, 4, "cmd.exe")};
  Fake.DriveList = std::string("C:\\\0\0", 5);
  Fake.Targets["C:"] = "\\Device\\HarddiskVolume3";
  Fake.Images[200] = {"", ERROR_PARTIAL_COPY,
                      "\\Device\\HarddiskVolume3\\Windows\\System32\\cmd.exe"};
  Fake.Comspec = "C:\\WINDOWS\\system32\\cmd.exe";
  Con::ParentPath = Con::GetParentImagePath();
  EXPECT_EQ(Con::ParentPath, L"C:\\Windows\\System32\\cmd.exe");
  EXPECT_EQ(Con::ParentPid, 200u);
  EXPECT_EQ(Con::GetHostKind(), 1);
}

TEST_F(HostTest, NtFamilyFallsBack) {
  // Our own record is missing: the program stands in for its parent.
  Fake.Processes = {Record(200, 4, "cmd.exe")};
  Fake.Images[200] = {"C:\\WINDOWS\\system32\\cmd.exe", 0, ""};
  Con::ParentPath = Con::GetParentImagePath();
  EXPECT_EQ(Con::ParentPid, 0u);
  EXPECT_EQ(Con::ParentPath, Con::GetProcessImagePath(0));
  EXPECT_EQ(Con::GetHostKind(), 2);
  Fake.SnapshotWorks = false;
  Con::ParentPath = Con::GetParentImagePath();
  EXPECT_EQ(Con::GetHostKind(), 0) << "no process list, no parent";
  // Hosted, the environment's executable is the parent.
  Con::Compiled = false;
  Con::ParentPath = Con::GetParentImagePath();
  EXPECT_EQ(Con::ParentPath, Con::GetProcessImagePath(0));
  EXPECT_EQ(Con::ParentPid, GetCurrentProcessId());
  EXPECT_EQ(Con::GetHostKind(), 4);
}

TEST_F(HostTest, OlderFamilyNamesTheParentFromTheProcessList) {
  Fake.PlatformId = VER_PLATFORM_WIN32_WINDOWS;
  Fake.MajorVersion = 4;
  const DWORD own = GetCurrentProcessId();
  Fake.Processes = {Record(own, 300, "BLKCOPY.EXE"),
                    Record(300, 1, "C:\\WINDOWS\\SYSTEM\\WINOA386.MOD")};
  Con::ParentPath = Con::GetParentImagePath();
  EXPECT_EQ(Con::ParentPath, L"C:\\WINDOWS\\SYSTEM\\WINOA386.MOD");
  EXPECT_EQ(Con::ParentPid, 300u);
  EXPECT_EQ(Con::GetHostKind(), 1);
  // Without its own record it looks for id 0, which no process has.
  Fake.Processes.erase(Fake.Processes.begin());
  Con::ParentPid = 0;
  EXPECT_EQ(Con::GetParentImagePath(), L"");
}

TEST_F(HostTest, NtFamilyBeforeVersionFiveAsksTheNativeQuery) {
  // The real platform answers, apart from the version it reports.
  Con::HostPlatform = Con::RealHostCalls();
  const std::wstring throughList = Con::GetParentImagePath();
  const DWORD listParent = Con::ParentPid;
  Con::HostPlatform.VersionEx = &FakeVersion;
  Fake.MajorVersion = 4;
  Con::ParentPid = 12345;
  const std::wstring throughQuery = Con::GetParentImagePath();
  if (Con::IsFunctionExported(L"ntdll", L"NtQueryInformationProcess")) {
    EXPECT_EQ(Con::ParentPid, listParent);
    EXPECT_EQ(throughQuery, throughList);
  } else {
    EXPECT_EQ(throughQuery, L"");
    EXPECT_EQ(Con::ParentPid, 12345u) << "kept when there is no query";
  }
}

int FontSets = 0;
BOOL WINAPI CountFontSet(HANDLE, BOOL, PCONSOLE_FONT_INFOEX) {
  ++FontSets;
  return TRUE;
}

TEST_F(HostTest, ACallTheSystemLacksTakesTheFailedCallsPath) {
  // NT 4.0 has no process list, 95/98/Me no psapi.dll, only XP on reads an
  // image as a device path, 95 has no device targets, and only Vista on has
  // the console font calls (Windows 2000 and NT 4.0 keep their font).
  TwoVolumes();
  const DWORD own = GetCurrentProcessId();
  Fake.Processes = {Record(own, 200, "blkcopy.exe"), Record(200, 4, "cmd.exe")};
  Fake.Images[200] = {"", ERROR_PARTIAL_COPY, "\\Device\\HarddiskVolume1\\cmd.exe"};
  EXPECT_EQ(Con::GetProcessImagePath(200), L"C:\\cmd.exe") << "all calls there";
  Con::HostPlatform.ImageFileName = nullptr;
  EXPECT_EQ(Con::GetProcessImagePath(200), L"");
  Con::HostPlatform.ImageFileName = &FakeImageFileName;
  Con::HostPlatform.DosDevice = nullptr;
  EXPECT_EQ(Con::GetProcessImagePath(200), L"");
  Fake.Images[200] = {"C:\\cmd.exe", 0, ""};
  Con::HostPlatform.ModuleFileNameEx = nullptr;
  EXPECT_EQ(Con::GetProcessImagePath(200), L"");
  Con::HostPlatform.Snapshot = nullptr;
  for (DWORD platform : {DWORD(VER_PLATFORM_WIN32_NT), DWORD(VER_PLATFORM_WIN32_WINDOWS)}) {
    Fake.PlatformId = platform;
    Con::ParentPath = Con::GetParentImagePath();
    EXPECT_EQ(Con::GetHostKind(), 0) << "no process list, no parent";
  }
  Con::HostPlatform.SetFontEx = &CountFontSet;
  Con::SaveFont();
  Con::RestoreFont();
  EXPECT_EQ(FontSets, 0) << "a font that could not be saved is not restored";
}

std::wstring Wide(const char* text) { return std::wstring(text, text + std::strlen(text)); }

TEST(IsFunctionExported, LeavesModulesAsItFoundThem) {
  struct Export {
    const char* Module;
    const char* Function;
  };
  const bool windows = GetModuleHandleA("kernel32") != nullptr;
  const Export loaded =
      windows ? Export{"kernel32", "GetVersionExA"} : Export{"libc.so.6", "printf"};
  ASSERT_NE(GetModuleHandleA(loaded.Module), nullptr);
  EXPECT_TRUE(Con::IsFunctionExported(Wide(loaded.Module), Wide(loaded.Function)));
  EXPECT_FALSE(Con::IsFunctionExported(Wide(loaded.Module), L"NoSuchFunctionAnywhere"));
  EXPECT_NE(GetModuleHandleA(loaded.Module), nullptr) << "a loaded module stays loaded";
  EXPECT_FALSE(Con::IsFunctionExported(L"no_such_module_at_all", L"Anything"));

  // The first system library that nothing has loaded yet.
  const Export windowsOnes[] = {{"lz32", "LZOpenFileA"}, {"imagehlp", "ImageLoad"}};
  const Export posixOnes[] = {{"libresolv.so.2", "res_query"}, {"libz.so.1", "zlibVersion"}};
  const Export* candidate = nullptr;
  for (const Export& one : windows ? windowsOnes : posixOnes) {
    if (GetModuleHandleA(one.Module) == nullptr) {
      candidate = &one;
      break;
    }
  }
  if (!candidate) GTEST_SKIP() << "every candidate library is loaded already";
  EXPECT_TRUE(Con::IsFunctionExported(Wide(candidate->Module), Wide(candidate->Function)));
  EXPECT_EQ(GetModuleHandleA(candidate->Module), nullptr) << "a module it loaded is released again";
}

}  // namespace
