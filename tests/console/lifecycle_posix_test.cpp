// Set-up and teardown on a real terminal: the teardown test that needs a
// console runs again on a pseudo-terminal of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "console/Con.h"
#include "support/terminal_child.h"

namespace {

TEST(LifecycleTerminal, TeardownPutsTheTerminalBack) {
  TerminalChild child;
  ASSERT_TRUE(
      StartOnTerminal("LifecycleDeathTest.TeardownPutsBackModesAndAttribute", nullptr, child));
  if (!Con::IsCompiled()) {
    // The hosted variant ends its run with a pause of its own.
    EXPECT_TRUE(
        ReadUntil(child, " --- Execution Complete: Press any key to return to the IDE --- "))
        << child.Output;
    EXPECT_EQ(write(child.Master, "k", 1), 1);
  }
  const int status = Finish(child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << child.Output;
  EXPECT_NE(child.Output.find("[  PASSED  ] 1 test"), std::string::npos) << child.Output;
  EXPECT_EQ(child.Output.find("SKIPPED"), std::string::npos) << child.Output;
}

TEST(LifecycleProgram, ShellSeesTheExitCodeTheProgramRecorded) {
  // No arguments: the usage box, a pause that a redirected input ends at once,
  // and the code for an unusable command line.
  const std::string command = std::string("timeout -k 5 60 '") + BLKCOPY_EXE + "' < /dev/null > /dev/null 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
