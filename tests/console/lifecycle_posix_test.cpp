// Set-up and teardown on a real terminal: the teardown test that needs a
// console runs again on a pseudo-terminal of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "support/terminal_child.h"

namespace {

TEST(LifecycleTerminal, TeardownPutsTheTerminalBack) {
  TerminalChild child;
  ASSERT_TRUE(
      StartOnTerminal("LifecycleDeathTest.TeardownPutsBackModesAndAttribute", nullptr, child));
  const int status = Finish(child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << child.Output;
  EXPECT_NE(child.Output.find("[  PASSED  ] 1 test"), std::string::npos) << child.Output;
  EXPECT_EQ(child.Output.find("SKIPPED"), std::string::npos) << child.Output;
}

}  // namespace
