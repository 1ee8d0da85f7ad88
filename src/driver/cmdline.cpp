// The command-line tokenizer: the only place that cuts the argument text into
// arguments.
#include <algorithm>

#include "driver/modMain.h"

namespace modMain {

namespace {

// Only the space character counts as a blank here: a tab is part of an
// argument, as it always has been for this tool.
std::wstring TrimSpaces(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return std::wstring();
  const size_t last = text.find_last_not_of(L' ');
  return text.substr(first, last - first + 1);
}

void StoreArgument(std::vector<std::wstring>& args, std::wstring argument, bool stripQuotes) {
  if (stripQuotes)
    argument.erase(std::remove(argument.begin(), argument.end(), L'"'), argument.end());
  args.push_back(std::move(argument));
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& argumentText, bool stripQuotes) {
  std::vector<std::wstring> args;
  const std::wstring text = TrimSpaces(argumentText);
  if (text.empty()) return args;
  // Unbalanced quotes leave no way to tell where a path ends; giving no
  // arguments at all makes the caller show the usage box.
  if (std::count(text.begin(), text.end(), L'"') % 2 != 0) return args;

  bool inQuotes = false;
  std::wstring current;
  for (const wchar_t c : text) {
    if (c == L'"') inQuotes = !inQuotes;
    if (c == L' ' && !inQuotes) {
      // Runs of spaces never make empty arguments; a quoted pair "" does,
      // since its quotes are still in `current` here.
      if (!current.empty()) StoreArgument(args, current, stripQuotes);
      current.clear();
    } else {
      current += c;
    }
  }
  StoreArgument(args, current, stripQuotes);
  return args;
}

}  // namespace modMain
