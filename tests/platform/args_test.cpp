// The command-line text the platform hands the program, on either system.
#include <gtest/gtest.h>

#include "platform/platform.h"

TEST(GetArgumentText, LeavesOutTheProgramsOwnName) {
  std::wstring text;
  std::wstring problem;
  ASSERT_TRUE(GetArgumentText(text, problem));
  EXPECT_TRUE(problem.empty());
  EXPECT_EQ(text.find(L"blkcopy_tests"), std::wstring::npos) << text;
  if (!text.empty()) {
    EXPECT_NE(text.front(), L' ');
    EXPECT_NE(text.front(), L'\t');
  }
}

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
