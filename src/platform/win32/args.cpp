// The command-line text on Windows: the wide command line past the program's
// own name, so that no character is best-fitted into a quote or a slash.
#include "platform/platform.h"
#include "platform/textconv.h"

namespace {

// The wide command line where the system has one. The 95/98/Me family has
// only the ANSI one, which is then exact: with no Unicode command line there
// is nothing for Windows to best-fit.
std::wstring CommandLine() {
  const OptionalCalls& calls = SystemCalls();
  const wchar_t* wide = calls.CommandLineW ? calls.CommandLineW() : nullptr;
  if (wide) return wide;
  const char* ansi = GetCommandLineA();
  return ansi ? FromAnsi(ansi) : std::wstring();
}

}  // namespace

bool GetArgumentText(std::wstring& text, std::wstring& problem) {
  problem.clear();
  const std::wstring whole = CommandLine();
  const wchar_t* line = whole.c_str();
  // The program's name ends the way Windows itself reads it: a quoted name
  // at its closing quote, any other at the first space or tab.
  const wchar_t* rest = line;
  if (*rest == L'"') {
    ++rest;
    while (*rest != L'\0' && *rest != L'"') ++rest;
    if (*rest == L'"') ++rest;
  } else {
    while (*rest != L'\0' && *rest != L' ' && *rest != L'\t') ++rest;
  }
  // The blanks that end the name are not part of the first argument.
  while (*rest == L' ' || *rest == L'\t') ++rest;
  text = rest;
  return true;
}
