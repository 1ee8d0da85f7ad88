// Text conversion on POSIX: every code page is UTF-8, and wide text holds
// Unicode code points (wchar_t is 32 bits here).
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/screen.h"
#include "platform/utf8.h"

namespace {

bool IsScalar(uint32_t c) { return c < 0x110000 && (c < 0xD800 || c > 0xDFFF); }

// Appends the UTF-8 form of one code point; false when it has none.
bool EncodeOne(uint32_t c, std::string& out) {
  if (!IsScalar(c)) return false;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return true;
}

bool KnownCodePage(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_UTF8;
}

}  // namespace

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int wideCount, LPSTR bytes,
                               int byteCount, LPCSTR, LPBOOL usedDefault) {
  if (!KnownCodePage(codePage) || wide == nullptr || byteCount < 0 ||
      (byteCount > 0 && bytes == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t count = wideCount < 0 ? std::wcslen(wide) + 1 : static_cast<size_t>(wideCount);
  std::string out;
  bool replaced = false;
  for (size_t k = 0; k < count; ++k) {
    if (!EncodeOne(static_cast<uint32_t>(wide[k]), out)) {
      EncodeOne(0xFFFD, out);
      replaced = true;
    }
  }
  if (usedDefault) *usedDefault = replaced ? TRUE : FALSE;
  if (byteCount == 0) return static_cast<int>(out.size());
  if (out.size() > static_cast<size_t>(byteCount)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(bytes, out.data(), out.size());
  return static_cast<int>(out.size());
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int byteCount,
                               LPWSTR wide, int wideCount) {
  if (!KnownCodePage(codePage) || bytes == nullptr || wideCount < 0 ||
      (wideCount > 0 && wide == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t size = byteCount < 0 ? std::strlen(bytes) + 1 : static_cast<size_t>(byteCount);
  std::wstring out;
  for (size_t i = 0; i < size;) {
    uint32_t c = 0;
    size_t length = 1;
    const Utf8 result = DecodeUtf8(bytes, size, i, c, length);
    if (result != Utf8::Character) {
      if (flags & MB_ERR_INVALID_CHARS) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
      }
      c = 0xFFFD;
    }
    // A whole bad form stands for one character here; the bytes of one cut
    // short each stand for one.
    i += result == Utf8::Incomplete ? 1 : length;
    out += static_cast<wchar_t>(c);
  }
  if (wideCount == 0) return static_cast<int>(out.size());
  if (out.size() > static_cast<size_t>(wideCount)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::wmemcpy(wide, out.data(), out.size());
  return static_cast<int>(out.size());
}

UINT WINAPI GetACP(void) { return CP_UTF8; }

LPWSTR WINAPI GetCommandLineW(void) {
  static wchar_t empty[1] = {0};
  return empty;
}

// As the screen counts the cells it fills.
int TextColumns(const std::wstring& text) {
  int columns = 0;
  for (wchar_t c : text) columns += CellWidth(static_cast<uint32_t>(c));
  return columns;
}
