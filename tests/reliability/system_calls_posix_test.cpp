// What the program asks the system, counted by strace: each open of the
// destination by its name is a moment at which the name may reach another
// file, and each look at the source before its first read is work the facts
// taken at its open already hold.
#include <gtest/gtest.h>

#include <fstream>

#include "support/program_posix.h"

using namespace reliability;

namespace {

class SystemCalls : public ProgramTest {};

struct Counts {
  int destOpens = 0;      // openat of the destination's name, failed ones too
  int sourceLooks = 0;    // fstat of the source's descriptor before its first read
};

Counts Count(const fs::path& trace, const fs::path& source, const fs::path& dest) {
  Counts counts;
  std::ifstream in(trace);
  const std::string sourceOpen = "openat(AT_FDCWD, \"" + source.string() + "\"";
  const std::string destOpen = "openat(AT_FDCWD, \"" + dest.string() + "\"";
  std::string fd;
  bool read = false;
  for (std::string line; std::getline(in, line);) {
    if (line.find(destOpen) != std::string::npos) ++counts.destOpens;
    if (fd.empty() && line.find(sourceOpen) != std::string::npos)
      fd = line.substr(line.rfind("= ") + 2);  // the descriptor the open returned
    if (fd.empty() || read) continue;
    if (line.find(" read(" + fd + ",") != std::string::npos) {
      read = true;
      continue;
    }
    for (const char* call : {"fstat(", "newfstatat(", "statx("})
      if (line.find(call + fd + ",") != std::string::npos) ++counts.sourceLooks;
  }
  return counts;
}

TEST_F(SystemCalls, TheDestinationIsOpenedByNameAtMostFourTimes) {
  if (!fs::exists("/usr/bin/strace")) {
    if (std::getenv("CI")) FAIL() << "strace is not installed";
    GTEST_SKIP() << "strace is not installed";
  }
  WriteGenerated(Path("source"), 3, 40 * MiB + 123);
  struct Case {
    const char* what;
    int64_t held;  // bytes the destination holds before the run, -1: none
    bool resume;
  };
  const Case cases[] = {
      {"fresh, new destination", -1, false},
      {"fresh over an existing destination", 5 * MiB, false},
      {"/R onto 20 MiB of 40", 20 * MiB, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(Path("dest"));
    if (c.held >= 0) WriteGenerated(Path("dest"), 3, c.held);
    std::vector<std::string> args = {"-f", "-o", Path("trace").string(), "-e",
                                     "trace=openat,fstat,newfstatat,statx,read", BLKCOPY_SHIPPED_EXE};
    for (const std::string& arg : CopyArgs(Path("dest"), "64K", c.resume)) args.push_back(arg);
    RunOptions options;
    options.program = "/usr/bin/strace";
    ASSERT_EQ(RunProgram(args, options), 0) << Output();
    const Counts counts = Count(Path("trace"), Path("source"), Path("dest"));
    EXPECT_LE(counts.destOpens, 4);
    EXPECT_GE(counts.destOpens, 3);  // the trace was read
    EXPECT_LE(counts.sourceLooks, 3);
  }
}

}  // namespace
