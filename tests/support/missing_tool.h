// For tests that need a tool scripts/setup.sh installs (bindfs, fusepy,
// tmux, mkfs.vfat, fusefat, a locale): without it a developer's run skips
// the test, but under CI=true, where setup.sh has run, the missing tool is a
// broken set-up and fails the test, so a green CI can't hide a test that
// never ran. Needs that CI can never meet (root, a console) still skip.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

inline bool UnderCi() {
  const char* ci = std::getenv("CI");
  return ci && std::strcmp(ci, "true") == 0;
}

#define SKIP_FOR_MISSING_TOOL(why)                                           \
  do {                                                                       \
    if (UnderCi()) FAIL() << (why) << " (CI=true: scripts/setup.sh installs it)"; \
    GTEST_SKIP() << (why);                                                   \
  } while (0)
