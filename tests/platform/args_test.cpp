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

