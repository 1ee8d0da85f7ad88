// Splitting the command line into arguments: spaces, quotes, and what a
// quote left open does.
#include <gtest/gtest.h>

#include "driver/modMain.h"

using modMain::SplitCommandLine;
using Args = std::vector<std::wstring>;

TEST(SplitCommandLine, BlankTextGivesNoArguments) {
  EXPECT_EQ(SplitCommandLine(L"", true), Args());
  EXPECT_EQ(SplitCommandLine(L"    ", true), Args());
}

TEST(SplitCommandLine, RunsOfSpacesSeparateWithoutEmptyArguments) {
  EXPECT_EQ(SplitCommandLine(L"  a    b  ", true), (Args{L"a", L"b"}));
  EXPECT_EQ(SplitCommandLine(L"src.img dst.img 64K /R", true),
            (Args{L"src.img", L"dst.img", L"64K", L"/R"}));
}

TEST(SplitCommandLine, QuotedPathWithSpacesIsOneArgument) {
  EXPECT_EQ(SplitCommandLine(L"\"C:\\My Images\\disk one.img\" out.img", true),
            (Args{L"C:\\My Images\\disk one.img", L"out.img"}));
  // Runs of spaces inside quotes are kept as typed.
  EXPECT_EQ(SplitCommandLine(L"\"a   b\"", true), (Args{L"a   b"}));
}

TEST(SplitCommandLine, QuotesJoinPiecesOfOneArgument) {
  EXPECT_EQ(SplitCommandLine(L"C:\\\"Program Files\"\\x.img d", true),
            (Args{L"C:\\Program Files\\x.img", L"d"}));
}

TEST(SplitCommandLine, EmptyQuotesAreAnEmptyArgument) {
  EXPECT_EQ(SplitCommandLine(L"a \"\" b", true), (Args{L"a", L"", L"b"}));
  EXPECT_EQ(SplitCommandLine(L"\"\"", true), (Args{L""}));
}

TEST(SplitCommandLine, UnbalancedQuotesGiveNoArgumentsAtAll) {
  EXPECT_EQ(SplitCommandLine(L"a b \"c", true), Args());
  EXPECT_EQ(SplitCommandLine(L"\"a\" \"b\" \"", true), Args());
  EXPECT_EQ(SplitCommandLine(L"x\"y z", false), Args());
}

TEST(SplitCommandLine, OnlyTheSpaceSeparates) {
  EXPECT_EQ(SplitCommandLine(L"a\tb", true), (Args{L"a\tb"}));
  // Leading tabs are not trimmed either.
  EXPECT_EQ(SplitCommandLine(L"\ta b\t", true), (Args{L"\ta", L"b\t"}));
  EXPECT_EQ(SplitCommandLine(L"a\xA0"
                             L"b \x3000"
                             L"c",
                             true),
            (Args{L"a\xA0"
                  L"b",
                  L"\x3000"
                  L"c"}));
}

TEST(SplitCommandLine, KeptQuotesSplitTheSameWay) {
  EXPECT_EQ(SplitCommandLine(L"\"a b\"  c\"d e\"f \"\"", false),
            (Args{L"\"a b\"", L"c\"d e\"f", L"\"\""}));
}

TEST(SplitCommandLine, LookAlikeQuotesAreOrdinaryCharacters) {
  // A fullwidth quote neither opens a quoted part nor counts as unbalanced.
  EXPECT_EQ(SplitCommandLine(L"\xFF02"
                             L"a b\xFF02 c",
                             true),
            (Args{L"\xFF02"
                  L"a",
                  L"b\xFF02", L"c"}));
}
