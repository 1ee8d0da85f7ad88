// Set-up and teardown, each run in a child process: the teardown ends the
// process that armed it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/Con.h"
#include "console/ConState.h"
#include "support/scratch_dir.h"

namespace {

using ::testing::ExitedWithCode;

const char kOutputPath[] = "lifecycle_exit_output.txt";

// A program that writes into a fully buffered output, records a failed copy
// and returns from its entry.
[[noreturn]] void RunFailedProgram() {
  if (!std::freopen(kOutputPath, "w", stdout)) std::_Exit(90);
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  std::printf("written before the end");
  Con::Initialize();
  Con::SetExitCode(3);
  std::exit(0);
}

// Sets up twice, with modes changed in between; ends with 7 when the second
// set-up changed nothing.
[[noreturn]] void RunSecondInitialize() {
  Con::Initialize();
  const HANDLE in = Con::hConIn, out = Con::hConOut, err = Con::hConErr;
  // A second set-up must neither reset these to 7 and 3 nor take them as the
  // modes to restore.
  const bool inConsole = SetConsoleMode(Con::hConIn, ENABLE_PROCESSED_INPUT) != FALSE;
  const bool outConsole = SetConsoleMode(Con::hConOut, ENABLE_PROCESSED_OUTPUT) != FALSE;
  const int32_t second = Con::Initialize();
  DWORD inMode = ENABLE_PROCESSED_INPUT, outMode = ENABLE_PROCESSED_OUTPUT;
  if (inConsole) GetConsoleMode(Con::hConIn, &inMode);
  if (outConsole) GetConsoleMode(Con::hConOut, &outMode);
  const bool unchanged = second == 0 && in == Con::hConIn && out == Con::hConOut &&
                         err == Con::hConErr && inMode == ENABLE_PROCESSED_INPUT &&
                         outMode == ENABLE_PROCESSED_OUTPUT;
  Con::SetExitCode(unchanged ? 7 : 8);
  std::exit(unchanged ? 7 : 8);
}

// Changes modes and colour behind the console layer's back, as a driver
// that forgot to restore them would.
[[noreturn]] void RunChangingProgram() {
  Con::Initialize();
  SetConsoleMode(Con::hConIn, 0);
  SetConsoleMode(Con::hConOut, ENABLE_PROCESSED_OUTPUT);
  SetConsoleTextAttribute(Con::hConOut, 0x1E);
  std::exit(0);
}

// Gives the font back twice: once with nothing saved, once with what the
// console had. Neither may take the console down with it.
[[noreturn]] void RunFontRestore() {
  Con::Initialize();
  Con::RestoreFont();
  Con::SaveFont();
  Con::RestoreFont();
  Con::SetExitCode(9);
  std::exit(0);
}

[[noreturn]] void RunWithoutInitialize() {
  Con::SetExitCode(3);
  std::exit(5);
}

TEST(LifecycleDeathTest, RecordedExitCodeReachesTheCallerWithTheOutput) {
  std::remove(kOutputPath);
  // The hosted variant gives the process back to its environment, which ends
  // it in its own way.
  EXPECT_EXIT(RunFailedProgram(), ExitedWithCode(Con::IsCompiled() ? 3 : 0), "");
  EXPECT_EQ(testsupport::ReadAll(kOutputPath), "written before the end");
  std::remove(kOutputPath);
}

TEST(LifecycleDeathTest, WithoutInitializeNoTeardownRuns) {
  EXPECT_EXIT(RunWithoutInitialize(), ExitedWithCode(5), "");
}

TEST(LifecycleDeathTest, SecondInitializeChangesNothing) {
  EXPECT_EXIT(RunSecondInitialize(), ExitedWithCode(7), "");
}

TEST(LifecycleDeathTest, FontRestoreLeavesTheConsoleAlive) {
  EXPECT_EXIT(RunFontRestore(), ExitedWithCode(Con::IsCompiled() ? 9 : 0), "");
}

TEST(LifecycleDeathTest, TeardownPutsBackModesAndAttribute) {
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE), out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD inBefore = 0, outBefore = 0;
  CONSOLE_SCREEN_BUFFER_INFO before = {};
  if (!GetConsoleMode(in, &inBefore) || !GetConsoleMode(out, &outBefore) ||
      !GetConsoleScreenBufferInfo(out, &before)) {
    GTEST_SKIP() << "standard input and output are not a console";
  }
  // The child shares our console, so what it leaves behind is seen here.
  EXPECT_EXIT(RunChangingProgram(), ExitedWithCode(0), "");
  DWORD inAfter = 0, outAfter = 0;
  CONSOLE_SCREEN_BUFFER_INFO after = {};
  EXPECT_TRUE(GetConsoleMode(in, &inAfter));
  EXPECT_TRUE(GetConsoleMode(out, &outAfter));
  EXPECT_TRUE(GetConsoleScreenBufferInfo(out, &after));
  EXPECT_EQ(inAfter, inBefore);
  EXPECT_EQ(outAfter, outBefore);
  EXPECT_EQ(after.wAttributes, before.wAttributes);
}

}  // namespace
