// Processes, modules and the environment on POSIX. Processes are read from
// /proc; modules are shared objects opened with dlopen. The system answers as
// the NT family, has no drive letters and no DOS devices.
#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/handle.h"

extern char** environ;

namespace {

const DWORD kNoMoreFiles = 18;      // ERROR_NO_MORE_FILES
const DWORD kBadLength = 24;        // ERROR_BAD_LENGTH
const DWORD kModNotFound = 126;     // ERROR_MOD_NOT_FOUND
const DWORD kProcNotFound = 127;    // ERROR_PROC_NOT_FOUND
const DWORD kEnvvarNotFound = 203;  // ERROR_ENVVAR_NOT_FOUND

// A handle that names a process by its id; it owns no descriptor.
struct ProcessHandle : PosixHandle {
  explicit ProcessHandle(pid_t id) : pid(id) {}
  pid_t pid;
};

// A process list taken at one moment, walked with Process32First/Next. The
// ids are listed at once; each record is read when the walk reaches it, so a
// walk that stops early (the program's own record, then its parent's, which
// come first) reads two, not every process's. Records read stay as read.
struct SnapshotHandle : PosixHandle {
  std::vector<pid_t> ids;
  std::vector<PROCESSENTRY32> entries;  // the records read so far, in order
  size_t listed = 0;                    // ids looked at so far
  size_t next = 0;
};

// Copies text into a Win32 string buffer the way GetModuleFileName does: cut
// to fit with its NUL, the cut reported as ERROR_INSUFFICIENT_BUFFER.
DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
  if (size == 0 || buffer == nullptr) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (text.size() < size) {
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
  }
  std::memcpy(buffer, text.data(), size - 1);
  buffer[size - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

// The target of a symbolic link such as /proc/PID/exe; false with errno set.
bool ReadLink(const std::string& link, std::string& target) {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = ::readlink(link.c_str(), buffer.data(), buffer.size());
    if (length < 0) return false;
    if (static_cast<size_t>(length) < buffer.size()) {
      target.assign(buffer.data(), static_cast<size_t>(length));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string ProcPath(pid_t pid, const char* leaf) {
  return "/proc/" + std::to_string(pid) + "/" + leaf;
}

// One process record from /proc/PID/stat ("pid (comm) state ppid ...") and,
// where we may read it, the executable's name.
bool ReadProcessEntry(pid_t pid, PROCESSENTRY32& entry) {
  std::ifstream file(ProcPath(pid, "stat"));
  std::string stat;
  if (!std::getline(file, stat)) return false;
  // The name may hold spaces and parentheses: it ends at the last ')'.
  const size_t open = stat.find('(');
  const size_t close = stat.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  std::istringstream rest(stat.substr(close + 1));
  std::string state;
  long parent = 0;
  if (!(rest >> state >> parent)) return false;
  std::string skipped;
  for (int field = 5; field < 20 && rest >> skipped; ++field) {
  }
  long threads = 0;
  rest >> threads;
  std::string name = stat.substr(open + 1, close - open - 1);
  std::string exe;
  if (ReadLink(ProcPath(pid, "exe"), exe)) name = exe.substr(exe.rfind('/') + 1);
  entry = PROCESSENTRY32();
  entry.dwSize = sizeof(entry);
  entry.th32ProcessID = static_cast<DWORD>(pid);
  entry.th32ParentProcessID = static_cast<DWORD>(parent);
  entry.cntThreads = static_cast<DWORD>(threads);
  entry.pcPriClassBase = 8;
  std::memcpy(entry.szExeFile, name.data(), std::min<size_t>(name.size(), MAX_PATH - 1));
  return true;
}

bool IsProcessId(const char* name, pid_t& pid) {
  char* end = nullptr;
  const long value = std::strtol(name, &end, 10);
  if (end == name || *end != '\0' || value <= 0) return false;
  pid = static_cast<pid_t>(value);
  return true;
}

BOOL NextEntry(HANDLE snapshot, LPPROCESSENTRY32 entry, bool fromStart) {
  SnapshotHandle* list = dynamic_cast<SnapshotHandle*>(FromHandle(snapshot));
  if (!list) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!entry || entry->dwSize < sizeof(PROCESSENTRY32)) {
    SetLastError(kBadLength);
    return FALSE;
  }
  if (fromStart) list->next = 0;
  // A process that ended before the walk reached it is simply not listed.
  while (list->next >= list->entries.size() && list->listed < list->ids.size()) {
    PROCESSENTRY32 read;
    if (ReadProcessEntry(list->ids[list->listed++], read)) list->entries.push_back(read);
  }
  if (list->next >= list->entries.size()) {
    SetLastError(kNoMoreFiles);
    return FALSE;
  }
  *entry = list->entries[list->next++];
  return TRUE;
}

ProcessHandle* AsProcess(HANDLE process) {
  ProcessHandle* object = dynamic_cast<ProcessHandle*>(FromHandle(process));
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

// The executable of a process, as GetModuleFileNameEx answers: a process we
// may not look into is refused, one without an image (gone, or a kernel
// thread) has no module list to copy from.
DWORD ProcessExecutable(HANDLE process, LPSTR buffer, DWORD size) {
  ProcessHandle* object = AsProcess(process);
  if (!object) return 0;
  std::string path;
  if (!ReadLink(ProcPath(object->pid, "exe"), path)) {
    SetLastError(errno == EACCES || errno == EPERM ? ERROR_ACCESS_DENIED : ERROR_PARTIAL_COPY);
    return 0;
  }
  return CopyOut(path, buffer, size);
}

// The value of a variable, its name matched as Windows does: without regard
// to letter case.
const char* FindVariable(const char* name) {
  if (const char* exact = std::getenv(name)) return exact;
  const size_t length = std::strlen(name);
  for (char** entry = environ; entry && *entry; ++entry) {
    if (strncasecmp(*entry, name, length) == 0 && (*entry)[length] == '=') {
      return *entry + length + 1;
    }
  }
  return nullptr;
}

}  // namespace

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
  if (!lpVersionInformation || lpVersionInformation->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  OSVERSIONINFOA& info = *lpVersionInformation;
  info.dwMajorVersion = 10;
  info.dwMinorVersion = 0;
  info.dwBuildNumber = 0;
  info.dwPlatformId = VER_PLATFORM_WIN32_NT;
  info.szCSDVersion[0] = '\0';
  return TRUE;
}

DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(::getpid()); }

DWORD WINAPI GetCurrentThreadId(void) { return static_cast<DWORD>(::syscall(SYS_gettid)); }

HANDLE WINAPI OpenProcess(DWORD dwDesiredAccess, BOOL, DWORD dwProcessId) {
  const pid_t pid = static_cast<pid_t>(dwProcessId);
  if (dwProcessId == 0 || pid < 0 || (::kill(pid, 0) != 0 && errno == ESRCH)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Reading a process's memory takes the same permission as following its
  // executable link.
  std::string exe;
  if ((dwDesiredAccess & PROCESS_VM_READ) && !ReadLink(ProcPath(pid, "exe"), exe) &&
      (errno == EACCES || errno == EPERM)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return ToHandle(new ProcessHandle(pid));
}

HANDLE WINAPI CreateToolhelp32Snapshot(DWORD dwFlags, DWORD) {
  DIR* proc = ::opendir("/proc");
  if (!proc) {
    SetLastErrorFromErrno(errno);
    return INVALID_HANDLE_VALUE;
  }
  SnapshotHandle* snapshot = new SnapshotHandle();
  if (dwFlags & TH32CS_SNAPPROCESS) snapshot->ids = {::getpid(), ::getppid()};
  while (dwFlags & TH32CS_SNAPPROCESS) {
    const dirent* item = ::readdir(proc);
    if (!item) break;
    pid_t pid = 0;
    if (IsProcessId(item->d_name, pid) && pid != snapshot->ids[0] && pid != snapshot->ids[1])
      snapshot->ids.push_back(pid);
  }
  ::closedir(proc);
  return ToHandle(snapshot);
}

BOOL WINAPI Process32First(HANDLE hSnapshot, LPPROCESSENTRY32 lppe) {
  return NextEntry(hSnapshot, lppe, true);
}

BOOL WINAPI Process32Next(HANDLE hSnapshot, LPPROCESSENTRY32 lppe) {
  return NextEntry(hSnapshot, lppe, false);
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::string path;
  if (hModule == nullptr) {
    if (!ReadLink("/proc/self/exe", path)) {
      SetLastErrorFromErrno(errno);
      return 0;
    }
  } else {
    link_map* map = nullptr;
    if (::dlinfo(hModule, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) {
      SetLastError(kModNotFound);
      return 0;
    }
    path = map->l_name;
  }
  return CopyOut(path, lpFilename, nSize);
}

DWORD WINAPI GetModuleFileNameExA(HANDLE hProcess, HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  if (hModule != nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return ProcessExecutable(hProcess, lpFilename, nSize);
}

DWORD WINAPI GetProcessImageFileNameA(HANDLE hProcess, LPSTR lpImageFileName, DWORD nSize) {
  return ProcessExecutable(hProcess, lpImageFileName, nSize);
}

// Modules: a name is looked up as dlopen finds it ("libz.so.1"); there is no
// "ntdll" here, nor any other Windows library.
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  void* module = ::dlopen(lpModuleName, RTLD_LAZY | RTLD_NOLOAD);
  if (!module) {
    SetLastError(kModNotFound);
    return nullptr;
  }
  // The look-up counted a reference that Windows would not: give it back.
  // The module stays, held by whoever loaded it.
  if (lpModuleName) ::dlclose(module);
  return static_cast<HMODULE>(module);
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  if (!lpLibFileName || !*lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* module = ::dlopen(lpLibFileName, RTLD_LAZY | RTLD_LOCAL);
  if (!module) SetLastError(kModNotFound);
  return static_cast<HMODULE>(module);
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  void* symbol = hModule && lpProcName ? ::dlsym(hModule, lpProcName) : nullptr;
  if (!symbol) {
    SetLastError(kProcNotFound);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  if (!hLibModule || ::dlclose(hLibModule) != 0) {
    SetLastError(kModNotFound);
    return FALSE;
  }
  return TRUE;
}

// No drive letters: the list is empty (one NUL, length 0).
DWORD WINAPI GetLogicalDriveStringsA(DWORD nBufferLength, LPSTR lpBuffer) {
  if (nBufferLength > 0 && lpBuffer) lpBuffer[0] = '\0';
  SetLastError(NO_ERROR);
  return 0;
}

DWORD WINAPI QueryDosDeviceA(LPCSTR, LPSTR, DWORD) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  return 0;
}

DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
  const char* value = lpName ? FindVariable(lpName) : nullptr;
  if (!value) {
    SetLastError(kEnvvarNotFound);
    return 0;
  }
  const size_t length = std::strlen(value);
  // Too small: the answer is the size needed, NUL included.
  if (!lpBuffer || length >= nSize) return static_cast<DWORD>(length + 1);
  std::memcpy(lpBuffer, value, length + 1);
  SetLastError(NO_ERROR);
  return static_cast<DWORD>(length);
}

[[noreturn]] void WINAPI ExitProcess(UINT uExitCode) {
  std::fflush(nullptr);
  ::_exit(static_cast<int>(uExitCode));
}
