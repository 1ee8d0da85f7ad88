// The options record from the argument list: paths, block size and /R in
// any order, and the command lines that are not usable.
#include <gtest/gtest.h>

#include "driver/modMain.h"
#include "driver/number.h"

using modMain::CopyParams;
using modMain::ParseCopyParams;
using Args = std::vector<std::wstring>;

namespace {

// The whole record the arguments make.
void ExpectParams(const Args& args, const wchar_t* source, const wchar_t* dest,
                  const wchar_t* size, bool resume, bool valid) {
  const CopyParams p = ParseCopyParams(args);
  EXPECT_EQ(p.Source, source);
  EXPECT_EQ(p.Dest, dest);
  EXPECT_EQ(p.Bufsize, size);
  EXPECT_EQ(p.Resume, resume);
  EXPECT_EQ(p.Valid, valid);
}

}  // namespace

TEST(ParseCopyParams, TwoPathsAlone) {
  ExpectParams({L"in.img", L"out.img"}, L"in.img", L"out.img", L"64K", false, true);
}

TEST(ParseCopyParams, SwitchAndSizeStandAnywhere) {
  for (const Args& args : {Args{L"/r", L"8m", L"a", L"b"}, Args{L"a", L"/r", L"b", L"8m"},
                           Args{L"a", L"b", L"8m", L"/r"}, Args{L"8m", L"a", L"/R", L"b"}}) {
    SCOPED_TRACE(args[0] + L" " + args[1] + L" " + args[2] + L" " + args[3]);
    ExpectParams(args, L"a", L"b", L"8m", true, true);  // the size's letter case kept
  }
}

TEST(ParseCopyParams, OnlyTheExactSwitchResumes) {
  for (const wchar_t* other : {L"-R", L"/RESUME", L"/R ", L"R", L"\\R"}) {
    const CopyParams p = ParseCopyParams({L"a", other});
    EXPECT_FALSE(p.Resume) << other;
    EXPECT_EQ(p.Dest, other);
  }
}

TEST(ParseCopyParams, LaterSizeReplacesEarlier) {
  EXPECT_EQ(ParseCopyParams({L"8K", L"a", L"b", L"16K"}).Bufsize, L"16K");
}

TEST(ParseCopyParams, PathCountDecidesValidity) {
  EXPECT_FALSE(ParseCopyParams({}).Valid);
  EXPECT_FALSE(ParseCopyParams({L"a"}).Valid);
  EXPECT_FALSE(ParseCopyParams({L"/R", L"4K"}).Valid);
  // A third path undoes the validity the second one gave, and nothing after
  // it is looked at.
  const CopyParams p = ParseCopyParams({L"a", L"b", L"c", L"/R"});
  EXPECT_FALSE(p.Valid);
  EXPECT_FALSE(p.Resume);
}

TEST(ParseCopyParams, WhatLooksLikeASizeIsTakenAsOne) {
  ExpectParams({L"5M", L"dest"}, L"dest", L"", L"5M", false, false);
}

TEST(ParseCopyParams, SizeNeedsANumberAndALetter) {
  for (const wchar_t* path : {L"K", L"64", L"64X", L"x64K", L"0x10K", L"6 4K", L"--1K"})
    EXPECT_EQ(ParseCopyParams({path}).Source, path);
  // Zero, negative and out-of-range sizes still have the size form; the
  // block size is refused later, before any file is opened.
  for (const wchar_t* size : {L"0K", L"-64K", L"32768K", L" 2e3 b", L"+1B"})
    EXPECT_EQ(ParseCopyParams({size}).Bufsize, size);
}

TEST(ParseCopyParams, SizeUsesTheUserDecimalSeparator) {
  const std::wstring size = L"1" + modMain::UserDecimalSeparator() + L"5K";
  EXPECT_EQ(ParseCopyParams({size, L"a", L"b"}).Bufsize, size);
}

TEST(ParseCopyParams, EmptyArgumentMakesTheCommandLineUnusable) {
  // An empty argument can name no file, wherever it stands.
  EXPECT_FALSE(ParseCopyParams({L"a", L"b", L""}).Valid);
  EXPECT_FALSE(ParseCopyParams({L"", L"a", L"b"}).Valid);
  EXPECT_FALSE(ParseCopyParams(modMain::SplitCommandLine(L"a \"\" b", true)).Valid);
}

// A help or version switch anywhere asks for that alone, whatever stands
// beside it; anything merely like one is a path.
TEST(ParseCopyParams, HelpAndVersionSwitches) {
  const struct {
    Args args;
    modMain::Request asked;
  } cases[] = {
      {{L"/?"}, modMain::RequestHelp},
      {{L"-h"}, modMain::RequestHelp},
      {{L"a", L"b", L"--help"}, modMain::RequestHelp},
      {{L"a", L"b", L"c", L"/?"}, modMain::RequestHelp},  // after a third path too
      {{L"--version"}, modMain::RequestVersion},
      {{L"-V", L"--help"}, modMain::RequestVersion},  // the first one counts
      {{L"a", L"-v"}, modMain::RequestCopy},
      {{L"a", L"/H"}, modMain::RequestCopy},
      {{L"--HELP", L"b"}, modMain::RequestCopy},
  };
  for (const auto& c : cases) {
    const CopyParams p = ParseCopyParams(c.args);
    EXPECT_EQ(p.Asked, c.asked) << c.args.back();
    if (c.asked != modMain::RequestCopy) {
      EXPECT_FALSE(p.Valid);
    }
  }
}
