// The paths' check before any file is opened: CreateFileA takes ANSI bytes,
// and a path that only converts to look-alike characters would name another
// file (or split into two).
#include "driver/modMain.h"
#include "fileio/modFileIO.h"
#include "platform/textconv.h"

namespace modMain {

namespace {

// At least four upper-case hex digits, as code points are written.
std::wstring Hex(uint32_t code) {
  std::wstring digits;
  for (int shift = 20; shift >= 0; shift -= 4) {
    const uint32_t digit = (code >> shift) & 0xF;
    if (digit != 0 || !digits.empty() || shift < 16) digits += L"0123456789ABCDEF"[digit];
  }
  return digits;
}

// "U+FF02" for the first character of the path that the code page can't
// hold exactly; empty when no single character is to blame. The display form
// of the path shows such characters as "?", so the code is what tells the
// user which one to rename.
std::wstring FirstUnrepresentable(const std::wstring& path) {
  for (size_t i = 0; i < path.size(); ++i) {
    size_t length = 1;
    if (IsHighSurrogate(path[i]) && i + 1 < path.size() && IsLowSurrogate(path[i + 1])) length = 2;
    std::string ansi;
    if (!PathToAnsi(path.substr(i, length), ansi)) {
      uint32_t code = static_cast<uint32_t>(path[i]);
      if (length == 2)
        code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<uint32_t>(path[i + 1]) - 0xDC00);
      return L"U+" + Hex(code);
    }
    i += length - 1;
  }
  return std::wstring();
}

bool PathUsable(const std::wstring& path) {
  std::string ansi;
  if (PathToAnsi(path, ansi)) return true;
  const std::wstring culprit = FirstUnrepresentable(path);
  modFileIO::WriteWrapped(
      L"The path \"" + path +
      L"\" has characters that the system's code page cannot represent exactly" +
      (culprit.empty() ? L"" : L" (" + culprit + L")") + L"; rename it or use a path without them.");
  return false;
}

}  // namespace

bool PathsUsable(const CopyParams& p) { return PathUsable(p.Source) && PathUsable(p.Dest); }

}  // namespace modMain
