// Conversions between the program's wide text and the code pages the
// platform takes: exact for paths (a path that can't be converted exactly is
// refused), lenient for what is only shown.
#include "platform/textconv.h"

#include <vector>

namespace {

bool IsUtf8(UINT codePage) {
  return codePage == CP_UTF8 || ((codePage == CP_ACP) && GetACP() == CP_UTF8);
}

// Converts with the flags, or without them where the system refuses them:
// the exact check below then rests on the round trip alone.
int Convert(UINT codePage, DWORD flags, const std::wstring& text, char* out, int size,
            BOOL* usedDefault) {
  const int count = static_cast<int>(text.size());
  const int done = TextPlatform().WideToBytes(codePage, flags, text.data(), count, out, size,
                                              nullptr, usedDefault);
  if (done > 0 || flags == 0 || GetLastError() != ERROR_INVALID_FLAGS) return done;
  return TextPlatform().WideToBytes(codePage, 0, text.data(), count, out, size, nullptr,
                                    usedDefault);
}

}  // namespace

TextCalls& TextPlatform() {
  static TextCalls calls = {&WideCharToMultiByte, &MultiByteToWideChar};
  return calls;
}

bool WideToCodePage(const std::wstring& text, UINT codePage, std::string& bytes, bool exact) {
  bytes.clear();
  if (text.empty()) return true;
  // UTF-8 takes neither best-fit flags nor a default-character report.
  const bool utf8 = IsUtf8(codePage);
  const DWORD flags = (exact && !utf8) ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
  const int needed = Convert(codePage, flags, text, nullptr, 0, usedDefaultOut);
  if (needed <= 0) return false;
  std::vector<char> buffer(static_cast<size_t>(needed));
  const int written = Convert(codePage, flags, text, buffer.data(), needed, usedDefaultOut);
  if (written <= 0) return false;
  bytes.assign(buffer.data(), static_cast<size_t>(written));
  if (!exact) return true;
  if (usedDefault) return false;
  // The round trip catches what the flags can't: a lone surrogate, or a
  // character the code page only approximates (all of them where the system
  // refused the flag).
  return CodePageToWide(bytes, codePage) == text;
}

std::wstring CodePageToWide(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int needed = TextPlatform().BytesToWide(codePage, 0, bytes.data(), size, nullptr, 0);
  if (needed <= 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<size_t>(needed));
  const int written =
      TextPlatform().BytesToWide(codePage, 0, bytes.data(), size, buffer.data(), needed);
  return std::wstring(buffer.data(), written > 0 ? static_cast<size_t>(written) : 0);
}

bool PathToAnsi(const std::wstring& path, std::string& ansi) {
  return WideToCodePage(path, CP_ACP, ansi, true);
}

std::string ToAnsi(const std::wstring& text) {
  std::string bytes;
  WideToCodePage(text, CP_ACP, bytes, false);
  return bytes;
}

std::wstring FromAnsi(const std::string& bytes) { return CodePageToWide(bytes, CP_ACP); }
