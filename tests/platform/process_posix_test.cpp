// The POSIX process layer under host detection: /proc as the process list,
// process handles, module look-ups and the environment.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "console/Con.h"
#include "console/ConState.h"

namespace {

std::string LinkTarget(const std::string& link) {
  char buffer[PATH_MAX] = {};
  const ssize_t length = readlink(link.c_str(), buffer, sizeof(buffer) - 1);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

TEST(HostPosix, ParentIsTheProcessThatStartedUs) {
  Con::Compiled = true;
  Con::ParentPid = 0;
  const std::wstring parent = Con::GetParentImagePath();
  EXPECT_EQ(Con::ParentPid, static_cast<DWORD>(getppid()));
  EXPECT_EQ(parent, Wide(LinkTarget("/proc/" + std::to_string(getppid()) + "/exe")));
  Con::ParentPid = 0;
  Con::Compiled = false;
}

TEST(HostPosix, ProcessListHoldsUsWithOurParentAndName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  bool found = false;
  int count = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    ++count;
    if (entry.th32ProcessID != GetCurrentProcessId()) continue;
    found = true;
    EXPECT_EQ(entry.th32ParentProcessID, static_cast<DWORD>(getppid()));
    EXPECT_STREQ(entry.szExeFile, "blkcopy_tests");
  }
  EXPECT_EQ(GetLastError(), 18u) << "the walk ends with ERROR_NO_MORE_FILES";
  EXPECT_TRUE(found);
  EXPECT_GT(count, 1);
  entry.dwSize = 100;
  EXPECT_FALSE(Process32First(snapshot, &entry)) << "a record too small is refused";
  EXPECT_TRUE(CloseHandle(snapshot));
}

TEST(HostPosix, OpeningProcesses) {
  EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, 0), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  // A child that has been reaped no longer exists.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(gone)), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

  HANDLE parent = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, getppid());
  ASSERT_NE(parent, nullptr);
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameExA(parent, nullptr, path, MAX_PATH);
  EXPECT_EQ(std::string(path, length), LinkTarget("/proc/" + std::to_string(getppid()) + "/exe"));
  char tiny[4] = {};
  EXPECT_EQ(GetModuleFileNameExA(parent, nullptr, tiny, sizeof(tiny)), 4u) << "cut to fit";
  EXPECT_EQ(std::string(tiny), std::string(path, 3));
  EXPECT_TRUE(CloseHandle(parent));
  if (geteuid() != 0) {
    // Init belongs to root: its memory is not ours to read.
    EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, 1), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  }
}

TEST(HostPosix, AnswersAsTheNtFamilyWithoutItsLibraries) {
  EXPECT_EQ(GetModuleHandleA("ntdll"), nullptr);
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = 20;
  EXPECT_FALSE(GetVersionExA(&version)) << "a record of the wrong size";
  version.dwOSVersionInfoSize = sizeof(version);
  ASSERT_TRUE(GetVersionExA(&version));
  EXPECT_EQ(version.dwPlatformId, DWORD(VER_PLATFORM_WIN32_NT));
  EXPECT_GE(version.dwMajorVersion, 5u);
}

TEST(HostPosix, EnvironmentFollowsTheWin32Convention) {
  setenv("BLKCOPY_TEST_VAR", "value", 1);
  char buffer[16];
  EXPECT_EQ(GetEnvironmentVariableA("BLKCOPY_TEST_VAR", buffer, sizeof(buffer)), 5u);
  EXPECT_STREQ(buffer, "value");
  EXPECT_EQ(GetEnvironmentVariableA("blkcopy_test_var", buffer, sizeof(buffer)), 5u)
      << "names match without regard to case";
  EXPECT_EQ(GetEnvironmentVariableA("BLKCOPY_TEST_VAR", buffer, 5), 6u) << "size needed";
  unsetenv("BLKCOPY_TEST_VAR");
  EXPECT_EQ(GetEnvironmentVariableA("BLKCOPY_TEST_VAR", buffer, sizeof(buffer)), 0u);
  EXPECT_EQ(GetLastError(), 203u);
}

}  // namespace
