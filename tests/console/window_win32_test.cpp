// Console window location and control where the test thread has no windows
// of its own. Windows only: on POSIX these calls are stubs that can't fail.
#include <gtest/gtest.h>

#include "console/Con.h"
#include "console/ConHostCalls.h"
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

BOOL WINAPI OldWindows(LPOSVERSIONINFOA info) {
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  info->dwMajorVersion = 4;
  return TRUE;
}

// The search by a unique title, taken where GetConsoleWindow is missing, puts
// the user's title back: exactly where the wide title calls exist (NT 4.0),
// as far as the ANSI code page holds it where they don't (95/98/Me), and
// never cut. Runs where the console's title can be set and read back wide.
TEST(ConsoleWindow, TheTitleSearchGivesBackTheWholeTitle) {
  OptionalCalls& calls = SystemCalls();
  const OptionalCalls saved = calls;
  const std::wstring greek = L"T\u00EFitle \u03A9\u03BC\u03AD\u03B3\u03B1 \u6570\u636E \u2713";
  std::wstring longTitle(1500, L'x');
  longTitle[0] = L'A';
  longTitle.back() = L'Z';
  wchar_t probe[8] = {};
  if (!calls.SetTitleW || !calls.GetTitleW || !calls.SetTitleW(L"probe") ||
      calls.GetTitleW(probe, 8) != 5)
    GTEST_SKIP() << "no console whose title can be set and read back here";
  Con::HostPlatform.VersionEx = &OldWindows;
  struct Case {
    const char* family;
    bool wide;
    std::wstring title;
  };
  const Case cases[] = {{"nt40", true, greek}, {"nt40", true, longTitle},
                        {"win98", false, longTitle}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.family) + ", " + std::to_string(c.title.size()) + " characters");
    calls.SetTitleW(c.title.c_str());
    if (!c.wide) calls.GetTitleW = nullptr;
    Con::hConWnd = nullptr;
    Con::GetConsoleHwnd();
    calls = saved;
    std::wstring now(4096, L'\0');
    now.resize(calls.GetTitleW(&now[0], 4096));
    EXPECT_TRUE(now == c.title) << now.size();
  }
  Con::hConWnd = nullptr;
  Con::HostPlatform = Con::RealHostCalls();
  calls.SetTitleW(L"");
}

}  // namespace
