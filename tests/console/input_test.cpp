// Key input when standard input is not a console.
#include <gtest/gtest.h>

#include "console/Con.h"
#include "console/ConState.h"

namespace {

TEST(KeyInput, RedirectedInputGivesNoKeyAndNoWait) {
  const HANDLE saved = Con::hConIn;
  Con::hConIn = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(Con::hConIn, &mode)) {
    Con::hConIn = saved;
    GTEST_SKIP() << "standard input is a console here";
  }
  EXPECT_EQ(Con::ReadKey(), 0);
  Con::Pause(L"", true);  // returns at once
  Con::hConIn = nullptr;
  EXPECT_EQ(Con::ReadKey(), 0) << "no handle at all";
  Con::hConIn = saved;
}

}  // namespace
