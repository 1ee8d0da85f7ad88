// The POSIX command-line text: arguments decoded from their bytes, and the
// ones that can't be passed on.
#include <gtest/gtest.h>

#include "driver/modMain.h"
#include "platform/posix/args.h"

using Args = std::vector<std::wstring>;

namespace {

std::string Cmdline(std::initializer_list<std::string> args) {
  std::string raw;
  for (const std::string& a : args) raw += a + '\0';
  return raw;
}

}  // namespace

TEST(ArgumentsPosix, DecodedAfterTheProgramName) {
  Args args;
  std::wstring problem;
  ASSERT_TRUE(
      DecodeArguments(Cmdline({"/usr/bin/blkcopy", "caf\xC3\xA9.img", "", "b"}), args, problem));
  EXPECT_EQ(args, (Args{L"caf\xE9.img", L"", L"b"}));
  ASSERT_TRUE(DecodeArguments(Cmdline({"blkcopy"}), args, problem));
  EXPECT_TRUE(args.empty());
}

TEST(ArgumentsPosix, InvalidUtf8IsRefusedNotReplaced) {
  Args args;
  std::wstring problem;
  // The program's own name is not looked at.
  EXPECT_TRUE(DecodeArguments(Cmdline({"\xFF", "a"}), args, problem));
  for (const char* bad : {"caf\xE9.img", "\xC0\xAF", "\xED\xA0\x80"}) {
    problem.clear();
    EXPECT_FALSE(DecodeArguments(Cmdline({"blkcopy", "a", bad}), args, problem)) << bad;
    EXPECT_NE(problem.find(L"Argument 2"), std::wstring::npos);
  }
}

TEST(ArgumentsPosix, JoinedTextSplitsIntoTheSameArguments) {
  const Args cases[] = {
      {},
      {L"a", L"b"},
      {L"my disk.img", L" leading", L"trailing ", L"", L"x"},
      {L"tab\there",
       L"\xFF02"
       L"fullwidth\xFF02",
       L"/R", L"64K"},
      {L""},
  };
  for (const Args& args : cases) {
    std::wstring text;
    std::wstring problem;
    ASSERT_TRUE(JoinArguments(args, text, problem));
    EXPECT_EQ(modMain::SplitCommandLine(text, true), args) << text;
  }
}

TEST(ArgumentsPosix, DoubleQuoteIsRefusedNotChanged) {
  std::wstring text;
  std::wstring problem;
  EXPECT_FALSE(JoinArguments({L"a", L"say\"hi\".img"}, text, problem));
  EXPECT_NE(problem.find(L"say\"hi\".img"), std::wstring::npos);
}
