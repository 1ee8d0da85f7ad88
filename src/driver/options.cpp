// The copy options: which arguments are the paths, the block size, "/R" and "/V".
#include "driver/modMain.h"
#include "driver/number.h"

namespace modMain {

namespace {

// "/R" or "/V" (`letter` in upper case), in either case.
bool IsSwitch(const std::wstring& argument, wchar_t letter) {
  return argument.size() == 2 && argument[0] == L'/' &&
         (argument[1] == letter || argument[1] == letter - L'A' + L'a');
}

Request RequestOf(const std::wstring& argument) {
  if (argument == L"/?" || argument == L"-h" || argument == L"--help") return RequestHelp;
  if (argument == L"-V" || argument == L"--version") return RequestVersion;
  return RequestCopy;
}

// The size form: a numeric prefix and B, K or M. Whether the size is also
// usable is SetBufferBytes' question; 0K and 99999K still have the form.
bool HasSizeForm(const std::wstring& argument, const std::wstring& decimalSeparator) {
  int32_t bytes = 0;
  return ConvertBlockSize(argument, decimalSeparator, bytes) != BlockSizeNotSize;
}

}  // namespace

CopyParams ParseCopyParams(const std::vector<std::wstring>& args) {
  CopyParams p;
  // As with other tools, a help switch among paths still asks for help: the
  // user has shown they are unsure of the command line.
  for (const std::wstring& argument : args) {
    p.Asked = RequestOf(argument);
    if (p.Asked != RequestCopy) return p;
  }
  const std::wstring decimalSeparator = UserDecimalSeparator();
  for (const std::wstring& argument : args) {
    if (IsSwitch(argument, L'R')) {
      p.Resume = true;
    } else if (IsSwitch(argument, L'V')) {
      p.Verify = true;
    } else if (HasSizeForm(argument, decimalSeparator)) {
      p.Bufsize = argument;
    } else if (argument.empty()) {
      // A pair of quotes with nothing between them names no file; taking it
      // for a path would leave the copy with an empty source or destination.
      p.Valid = false;
      break;
    } else if (p.Source.empty()) {
      p.Source = argument;
    } else if (p.Dest.empty()) {
      p.Dest = argument;
      p.Valid = true;
    } else {
      p.Valid = false;  // a third path
      break;
    }
  }
  return p;
}

}  // namespace modMain
