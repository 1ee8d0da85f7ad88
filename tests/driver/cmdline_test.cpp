// Splitting the command line into arguments: spaces, quotes, and what a
// quote left open does.
#include <gtest/gtest.h>

#include "driver/modMain.h"

using modMain::SplitCommandLine;
using Args = std::vector<std::wstring>;

TEST(SplitCommandLine, SpacesQuotesAndUnbalancedQuotes) {
  const struct {
    const wchar_t* line;
    bool stripQuotes;
    Args expected;
  } cases[] = {
      // Blank text gives no arguments.
      {L"", true, {}},
      {L"    ", true, {}},
      // Runs of spaces separate, without empty arguments.
      {L"  a    b  ", true, {L"a", L"b"}},
      {L"src.img dst.img 64K /R", true, {L"src.img", L"dst.img", L"64K", L"/R"}},
      // A quoted path with spaces is one argument; spaces inside are kept as typed.
      {L"\"C:\\My Images\\disk one.img\" out.img", true,
       {L"C:\\My Images\\disk one.img", L"out.img"}},
      {L"\"a   b\"", true, {L"a   b"}},
      // Quotes join the pieces of one argument.
      {L"C:\\\"Program Files\"\\x.img d", true, {L"C:\\Program Files\\x.img", L"d"}},
      // Empty quotes are an empty argument.
      {L"a \"\" b", true, {L"a", L"", L"b"}},
      {L"\"\"", true, {L""}},
      // Unbalanced quotes give no arguments at all.
      {L"a b \"c", true, {}},
      {L"\"a\" \"b\" \"", true, {}},
      {L"x\"y z", false, {}},
      // Only the space separates: not tabs, leading or not, nor other spaces.
      {L"a\tb", true, {L"a\tb"}},
      {L"\ta b\t", true, {L"\ta", L"b\t"}},
      {L"a\xA0" L"b \x3000" L"c", true, {L"a\xA0" L"b", L"\x3000" L"c"}},
      // Kept quotes split the same way.
      {L"\"a b\"  c\"d e\"f \"\"", false, {L"\"a b\"", L"c\"d e\"f", L"\"\""}},
      // A fullwidth quote neither opens a quoted part nor counts as unbalanced.
      {L"\xFF02" L"a b\xFF02 c", true, {L"\xFF02" L"a", L"b\xFF02", L"c"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
    EXPECT_EQ(SplitCommandLine(c.line, c.stripQuotes), c.expected);
  }
}
