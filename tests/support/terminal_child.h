// Test support on POSIX: runs a test of this program again, alone, in a fresh
// process whose standard handles are a new pseudo-terminal, and lets the
// calling test type on that terminal and read what it shows.
//
//   TerminalChild child;
//   ASSERT_TRUE(StartOnTerminal(CurrentTestName(), "MY_CHILD_VARIABLE", child));
//   ReadUntil(child, "child ready");
//   write(child.Master, "\x03", 1);
//   const int status = Finish(child);
//
// A fresh process, because the console layer takes the standard handles'
// kind once per process.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>

struct TerminalChild {
  pid_t Pid = -1;
  int Master = -1;
  std::string Output;  // everything the terminal has shown so far
};

// "Suite.Name" of the running test.
inline std::string CurrentTestName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(test->test_suite_name()) + "." + test->name();
}

// Starts this test program running only `testName`, with `variable` set to 1
// in its environment (null: none) so that the test can tell it is the child.
inline bool StartOnTerminal(const std::string& testName, const char* variable,
                            TerminalChild& child) {
  const std::string filter = "--gtest_filter=" + testName;
  child.Pid = forkpty(&child.Master, nullptr, nullptr, nullptr);
  if (child.Pid < 0) return false;
  if (child.Pid == 0) {
    if (variable) setenv(variable, "1", 1);
    execl("/proc/self/exe", "blkcopy_tests", filter.c_str(), "--gtest_color=no",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  return true;
}

// Reads what the terminal shows until it holds `text`; false when the time is
// up or the child has gone first.
inline bool ReadUntil(TerminalChild& child, const std::string& text, int seconds = 10) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (child.Output.find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > end) return false;
    pollfd ready = {child.Master, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;
    char buffer[512];
    const ssize_t got = read(child.Master, buffer, sizeof(buffer));
    if (got <= 0) return false;
    child.Output.append(buffer, static_cast<size_t>(got));
  }
  return true;
}

// Reads the rest, waits for the child (killing it when it hangs) and closes
// the terminal. Returns the wait status.
inline int Finish(TerminalChild& child, int seconds = 10) {
  ReadUntil(child, std::string(1, '\0'), seconds);  // to the end of the output
  int status = 0;
  if (waitpid(child.Pid, &status, WNOHANG) == 0) {
    kill(child.Pid, SIGKILL);
    waitpid(child.Pid, &status, 0);
  }
  close(child.Master);
  child.Master = -1;
  return status;
}
