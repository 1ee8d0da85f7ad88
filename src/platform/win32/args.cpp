// The command-line text on Windows: the wide command line past the program's
// own name, so that no character is best-fitted into a quote or a slash.
#include "platform/platform.h"

bool GetArgumentText(std::wstring& text, std::wstring& problem) {
  problem.clear();
  const wchar_t* line = GetCommandLineW();
  if (line == nullptr) line = L"";
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
