// The Win32 console calls of the POSIX layer: what a console handle, a
// redirected handle and a closed standard handle answer; input modes and
// keys; control events from signals.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "console/Con.h"
#include "support/memory_screen.h"

namespace {

// Expects the call to have failed with `error`.
void ExpectFailure(BOOL result, DWORD error) {
  EXPECT_FALSE(result);
  EXPECT_EQ(GetLastError(), error);
}

void ExpectInvalidHandle(BOOL result) { ExpectFailure(result, ERROR_INVALID_HANDLE); }

}  // namespace

TEST(ConsoleApi, RedirectedHandleRefusesConsoleCallsAndTakesWrites) {
  MemoryConsole console;
  console.RedirectOutput();
  console.RedirectInput();
  const HANDLE out = console.Output();
  CONSOLE_SCREEN_BUFFER_INFO info;
  std::memset(&info, 0xAB, sizeof info);
  ExpectInvalidHandle(GetConsoleScreenBufferInfo(out, &info));
  EXPECT_EQ(info.dwSize.X, static_cast<SHORT>(0xABAB));
  DWORD mode = 0;
  ExpectInvalidHandle(GetConsoleMode(out, &mode));
  ExpectInvalidHandle(SetConsoleTextAttribute(out, 0x1E));
  ExpectInvalidHandle(SetConsoleCursorPosition(out, COORD{1, 1}));
  DWORD written = 9;
  ExpectInvalidHandle(WriteConsoleA(out, "no", 2, &written, nullptr));
  EXPECT_EQ(written, 0u);
  ASSERT_TRUE(WriteFile(out, "yes", 3, &written, nullptr));
  EXPECT_EQ(console.OutputBytes(), "yes");
  // Redirected input: no console calls, end of file on reading.
  char key = 'k';
  DWORD got = 5;
  ExpectInvalidHandle(ReadConsoleA(console.Input(), &key, 1, &got, nullptr));
  ExpectInvalidHandle(FlushConsoleInputBuffer(console.Input()));
  EXPECT_TRUE(ReadFile(console.Input(), &key, 1, &got, nullptr));
  EXPECT_EQ(got, 0u);
}

TEST(ConsoleApi, ConsoleOutputCalls) {
  MemoryConsole console(40, 10);
  const HANDLE out = console.Output();
  DWORD written = 0;
  ASSERT_TRUE(WriteConsoleA(out, "caf\xC3\xA9", 5, &written, nullptr));
  EXPECT_EQ(written, 5u);
  EXPECT_EQ(console.Cursor().X, 4);
  ExpectFailure(SetConsoleCursorPosition(out, COORD{40, 0}), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(SetConsoleCursorPosition(out, COORD{0, 9001}));
  ASSERT_TRUE(SetConsoleCursorPosition(out, COORD{39, 9000}));
  EXPECT_EQ(console.Window().Top, 8991);
  // The terminal owns its font: reported as unknown and never changed.
  CONSOLE_FONT_INFOEX font;
  std::memset(&font, 0x5A, sizeof font);
  font.cbSize = sizeof font;
  ASSERT_TRUE(GetCurrentConsoleFontEx(out, FALSE, &font));
  EXPECT_EQ(font.dwFontSize.X, 0);
  EXPECT_EQ(font.dwFontSize.Y, 0);
  EXPECT_EQ(font.FaceName[0], L'\0');
  EXPECT_TRUE(SetCurrentConsoleFontEx(out, FALSE, &font));
  font.cbSize = 0;
  EXPECT_FALSE(GetCurrentConsoleFontEx(out, FALSE, &font));
  EXPECT_EQ(GetConsoleOutputCP(), static_cast<UINT>(CP_UTF8));
  EXPECT_EQ(GetConsoleCP(), static_cast<UINT>(CP_UTF8));
  EXPECT_FALSE(AllocConsole());
  EXPECT_EQ(GetConsoleWindow(), nullptr);
}

TEST(ConsoleApi, ClosedStandardHandleStaysTheSameClosedHandle) {
  MemoryConsole console;
  BoundConsole binding(console);
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  ASSERT_TRUE(CloseHandle(out));
  DWORD written = 0;
  ExpectInvalidHandle(WriteFile(out, "x", 1, &written, nullptr));
  ExpectInvalidHandle(CloseHandle(out));
  EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), out);
  // Standard error is a handle of its own on the same screen.
  EXPECT_TRUE(WriteFile(GetStdHandle(STD_ERROR_HANDLE), "e", 1, &written, nullptr));
  EXPECT_EQ(console.CharAt(0, 0), L'e');
}

TEST(ConsoleApiDeathTest, ClosingTheProcessStandardHandlesLeavesTheDescriptorsOpen) {
  EXPECT_EXIT(
      {
        for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
          CloseHandle(GetStdHandle(which));
        std::exit(::fcntl(0, F_GETFD) != -1 && ::fcntl(1, F_GETFD) != -1 && ::fcntl(2, F_GETFD) != -1 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ConsoleApi, InputModesAndKeys) {
  MemoryConsole console;
  const HANDLE in = console.Input();
  DWORD mode = 0;
  ASSERT_TRUE(GetConsoleMode(in, &mode));
  EXPECT_EQ(mode, 7u);
  // As on Windows, echo needs line input.
  ExpectFailure(SetConsoleMode(in, ENABLE_ECHO_INPUT), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(SetConsoleMode(in, 0));
  EXPECT_EQ(console.InputMode(), 0u);
  console.TypeAhead("old");
  console.PressKeys("n");
  ASSERT_TRUE(FlushConsoleInputBuffer(in));
  char key = 0;
  DWORD got = 0;
  ASSERT_TRUE(ReadConsoleA(in, &key, 1, &got, nullptr));
  EXPECT_EQ(got, 1u);
  EXPECT_EQ(key, 'n');
  // A console output handle is not an input handle.
  ExpectInvalidHandle(ReadConsoleA(console.Output(), &key, 1, &got, nullptr));
}

namespace {

std::atomic<DWORD> LastEvent{0xFFFF};

BOOL WINAPI RecordEvent(DWORD event) {
  LastEvent = event;
  return TRUE;
}

}  // namespace

TEST(ConsoleCtrl, SignalsArriveAsControlEventsAndTheProcessGoesOn) {
  ASSERT_TRUE(SetConsoleCtrlHandler(RecordEvent, TRUE));
  const std::pair<int, DWORD> cases[] = {{SIGINT, CTRL_C_EVENT},
                                         {SIGQUIT, CTRL_BREAK_EVENT},
                                         {SIGHUP, CTRL_CLOSE_EVENT},
                                         {SIGTERM, CTRL_SHUTDOWN_EVENT}};
  for (const auto& [signal, event] : cases) {
    LastEvent = 0xFFFF;
    std::raise(signal);
    EXPECT_EQ(LastEvent.load(), event) << "signal " << signal;
  }
  EXPECT_TRUE(SetConsoleCtrlHandler(RecordEvent, FALSE));
  EXPECT_FALSE(SetConsoleCtrlHandler(RecordEvent, FALSE));
}

TEST(ConsoleCtrlDeathTest, UnclaimedEventEndsTheProcess) {
  EXPECT_EXIT(
      {
        SetConsoleCtrlHandler(RecordEvent, TRUE);
        SetConsoleCtrlHandler(RecordEvent, FALSE);
        std::raise(SIGTERM);
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

// nohup and background jobs of scripts start a program with these signals
// ignored; a handler must not undo that.
TEST(ConsoleCtrlDeathTest, SignalIgnoredAtStartStaysIgnored) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::signal(SIGHUP, SIG_IGN);
        SetConsoleCtrlHandler(Con::CtrlHandler, TRUE);
        std::raise(SIGHUP);
        std::exit(Con::BreakPressed() ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}
