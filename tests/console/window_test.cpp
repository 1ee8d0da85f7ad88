// Console window location and control where the test thread has no windows
// of its own.
#include <gtest/gtest.h>

#include "console/Con.h"
#include "console/ConState.h"

namespace {

TEST(ConsoleWindow, KnownWindowIsAnsweredWithoutAnotherSearch) {
  const HWND known = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
  Con::hConWnd = known;
  EXPECT_EQ(Con::GetConsoleHwnd(), known);
  Con::hConWnd = nullptr;
}

TEST(ConsoleWindow, ThreadWithoutWindowsFindsNone) {
  EXPECT_EQ(Con::FindThreadWindow(), nullptr);
  Con::ShowAppWindow(false);  // with no window, nothing to hide
  EXPECT_EQ(Con::FindThreadWindow(), nullptr);
}

TEST(ConsoleWindow, NoWindowIsNeverTheForegroundOne) {
  Con::hConWnd = nullptr;
  EXPECT_FALSE(Con::ActivateWindow(false));
  EXPECT_FALSE(Con::ActivateWindow(true));
}

TEST(ConsoleWindow, SearchByAnUnknownTitleFindsNothing) {
  EXPECT_EQ(Con::FindConsoleWindow(L"blkcopy test title that no window has 7f3a"), nullptr);
}

}  // namespace
