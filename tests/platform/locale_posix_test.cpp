// The POSIX locale answers: separators and formats from the environment's
// locale, and Windows' defaults where it has none.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "driver/modMain.h"
#include "fileio/modFileIO.h"
#include "platform/platform.h"
#include "support/missing_tool.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
struct ScopedEnv {
  ScopedEnv(const char* variable, const char* value) : name(variable) {
    if (const char* found = std::getenv(name)) old = found;
    setenv(name, value, 1);
  }
  ~ScopedEnv() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
  const char* name;
  std::optional<std::string> old;
};

std::string Info(LCTYPE type) {
  char buffer[16] = {};
  const int size = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  EXPECT_GT(size, 0);
  return size > 0 ? std::string(buffer, static_cast<size_t>(size - 1)) : std::string();
}

}  // namespace

TEST(LocaleInfoPosix, CLocaleAnswersWindowsDefaults) {
  for (const char* name : {"C", "xx_NOWHERE.UTF-8"}) {
    ScopedEnv all("LC_ALL", name);
    EXPECT_EQ(Info(LOCALE_SDECIMAL), ".");
    EXPECT_EQ(Info(LOCALE_STHOUSAND), ",");  // C has none; numbers are still grouped
    EXPECT_EQ(Info(LOCALE_STIME), ":");
  }
}

TEST(LocaleInfoPosix, Win32SizeConvention) {
  ScopedEnv all("LC_ALL", "C");
  // A zero size asks for the size needed, NUL included.
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, nullptr, 0), 2);
  char one[1] = {'x'};
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, one, 1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(one[0], 'x');
  char buffer[8];
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, 0x7777, buffer, 8), 0);
  EXPECT_EQ(GetLastError(), 1004u);  // ERROR_INVALID_FLAGS
}

TEST(LocaleInfoPosix, FollowsTheEnvironmentsLocale) {
  // Finnish writes 1 234,5 and 12.30.00. The test builds the locale itself so
  // it doesn't depend on which locales the machine has installed.
  const std::string dir = testing::TempDir() + "blkcopy-locale-" + std::to_string(getpid());
  const bool built = std::system(("mkdir -p '" + dir + "' && localedef -i fi_FI -f UTF-8 '" + dir +
                                  "/fi_FI.UTF-8' >/dev/null 2>&1")
                                     .c_str()) == 0;
  if (built) {
    ScopedEnv path("LOCPATH", dir.c_str());
    ScopedEnv all("LC_ALL", "fi_FI.UTF-8");
    EXPECT_EQ(Info(LOCALE_SDECIMAL), ",");
    EXPECT_EQ(Info(LOCALE_STHOUSAND), "\xE2\x80\xAF");  // narrow no-break space, in UTF-8
    EXPECT_EQ(Info(LOCALE_STIME), ".");
    // The command line reads sizes in the same format.
    EXPECT_EQ(modMain::ParseCopyParams({L"2,5K", L"a", L"b"}).Bufsize, L"2,5K");
    EXPECT_EQ(modMain::ParseCopyParams({L"2.5K", L"a"}).Dest, L"a");
    ASSERT_TRUE(modMain::SetBufferBytes(L"2,5K"));
    EXPECT_EQ(modFileIO::BufferBytes, 2048);
  }
  std::system(("rm -rf '" + dir + "'").c_str());
  if (!built) SKIP_FOR_MISSING_TOOL("localedef can't build fi_FI here (the locales package)");
}
