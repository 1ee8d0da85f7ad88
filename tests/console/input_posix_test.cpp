// Key input and pause on the in-memory console and on a real pseudo-terminal.
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/Con.h"
#include "console/ConState.h"
#include "support/memory_screen.h"
#include "support/terminal_child.h"

namespace {

const wchar_t kDefaultPrompt[] = L"Press any key to continue . . . ";

using KeyInputTest = MemoryScreenTest;

TEST_F(KeyInputTest, TheModeFoundIsTheModeGivenBack) {
  SetConsoleMode(Con::hConIn, ENABLE_LINE_INPUT);
  screen.TypeAhead("a");
  screen.PressKeys("x");
  EXPECT_EQ(Con::ReadKey(), 'x');
  EXPECT_EQ(screen.InputMode(), DWORD(ENABLE_LINE_INPUT)) << "not 7";
}

TEST_F(KeyInputTest, PauseShowsThePromptAndEndsTheLineWhenAsked) {
  screen.PressKeys("kk");
  Con::Pause();
  EXPECT_EQ(screen.RowText(0).substr(0, 32), kDefaultPrompt);
  EXPECT_EQ(screen.Cursor().X, 32) << "the cursor stays behind the prompt";
  EXPECT_EQ(screen.Cursor().Y, 0);
  Con::Pause(L"Next", true);
  EXPECT_EQ(screen.RowText(0).substr(32, 4), L"Next");
  EXPECT_EQ(screen.Cursor().X, 0);
  EXPECT_EQ(screen.Cursor().Y, 1);
}

TEST(KeyInputRedirected, PromptNeverLandsInARedirectedOutput) {
  MemoryConsole console(80, 25);
  console.RedirectOutput();
  BoundConsole bound(console);
  console.PressKeys("k");
  Con::Pause(L"", true);
  EXPECT_EQ(console.OutputBytes(), "");
  EXPECT_EQ(Con::ReadKey(), 0) << "the pause took the key";
}

// ---- On a pseudo-terminal ---------------------------------------------------

const char kChildVariable[] = "BLKCOPY_READKEY_CHILD";

// The side that runs on the terminal, in a fresh process so that its
// standard handles are the terminal's.
[[noreturn]] void RunOnTerminal() {
  Con::hConIn = GetStdHandle(STD_INPUT_HANDLE);
  Con::hConOut = GetStdHandle(STD_OUTPUT_HANDLE);
  SetConsoleCtrlHandler(Con::CtrlHandler, TRUE);
  SetConsoleMode(Con::hConIn, ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT);
  DWORD before = 0, after = 0;
  GetConsoleMode(Con::hConIn, &before);
  std::printf("child ready\n");
  std::fflush(stdout);
  pollfd typed = {0, POLLIN, 0};
  poll(&typed, 1, 5000);  // the line typed ahead has arrived
  const int key = Con::ReadKey();
  GetConsoleMode(Con::hConIn, &after);
  CloseHandle(Con::hConIn);  // gives the terminal its full mode back
  std::printf("key=%d break=%d modes=%lu/%lu end\n", key, Con::BreakPressed() ? 1 : 0,
              static_cast<unsigned long>(before), static_cast<unsigned long>(after));
  std::fflush(stdout);
  _exit(0);
}

bool WaitForRawMode(int master) {
  for (int i = 0; i < 500; ++i) {
    termios now = {};
    if (tcgetattr(master, &now) == 0 && (now.c_lflag & ISIG) == 0) return true;
    usleep(10000);
  }
  return false;
}

TEST(KeyInputTerminal, TypedKeysAreDiscardedAndCtrlCArrivesAsThree) {
  if (std::getenv(kChildVariable)) RunOnTerminal();
  TerminalChild child;
  ASSERT_TRUE(StartOnTerminal(CurrentTestName(), kChildVariable, child));
  EXPECT_TRUE(ReadUntil(child, "child ready")) << child.Output;
  // A line typed before the wait, then Ctrl+C once the wait has begun: with
  // processed input still on, it would have been a signal instead.
  EXPECT_EQ(write(child.Master, "typed\n", 6), 6);
  EXPECT_TRUE(WaitForRawMode(child.Master));
  EXPECT_EQ(write(child.Master, "\x03", 1), 1);
  EXPECT_TRUE(ReadUntil(child, " end\r\n")) << child.Output;
  termios restored = {};
  EXPECT_EQ(tcgetattr(child.Master, &restored), 0);
  Finish(child);
  EXPECT_NE(child.Output.find("key=3 break=0 modes=7/7 end"), std::string::npos) << child.Output;
  EXPECT_EQ(restored.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(ICANON | ECHO | ISIG));
}

}  // namespace
