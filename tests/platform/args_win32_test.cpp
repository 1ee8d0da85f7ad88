// The command line on Windows: only there is a wide one to stand in for.
#include <gtest/gtest.h>

#include "platform/platform.h"

TEST(GetArgumentText, TheAnsiCommandLineStandsInWhereThereIsNoWideOne) {
  // As on Windows 95/98/Me; the test's own arguments are plain ASCII.
  std::wstring wide, ansi, problem;
  ASSERT_TRUE(GetArgumentText(wide, problem));
  OptionalCalls& calls = SystemCalls();
  const OptionalCalls saved = calls;
  calls.CommandLineW = nullptr;
  const bool read = GetArgumentText(ansi, problem);
  calls = saved;
  ASSERT_TRUE(read);
  EXPECT_EQ(ansi, wide);
}
