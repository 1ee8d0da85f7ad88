// Conversions between the program's wide text and the bytes the platform's
// ANSI ("A") entry points take, built on the Win32 subset alone.
#pragma once

#include <string>

#include "platform/platform.h"

// Converts text to the bytes of a code page. With `exact`, text the code page
// can't hold character for character is refused (returns false): no best-fit
// look-alikes, no default character, and the bytes must convert back to the
// same text. Without it, unmappable characters become the code page's default
// (fine for display, never for a path).
bool WideToCodePage(const std::wstring& text, UINT codePage, std::string& bytes, bool exact);
// Bytes of a code page to wide text; malformed bytes become U+FFFD.
std::wstring CodePageToWide(const std::string& bytes, UINT codePage);

// The exact ANSI form of a path, as CreateFileA must get it; false when the
// path has characters the ANSI code page can't represent.
bool PathToAnsi(const std::wstring& path, std::string& ansi);
// The two platform conversions behind the ones above, in one record so that a
// test can answer as an older system would: Windows 95 and NT 4.0 refuse
// WC_NO_BEST_FIT_CHARS with ERROR_INVALID_FLAGS.
struct TextCalls {
  int(WINAPI* WideToBytes)(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR bytes,
                           int byteCount, LPCSTR defaultChar, LPBOOL usedDefault);
  int(WINAPI* BytesToWide)(UINT codePage, DWORD flags, LPCSTR bytes, int byteCount, LPWSTR wide,
                           int wideCount);
};
TextCalls& TextPlatform();

// The halves of a UTF-16 surrogate pair (wchar_t is UTF-16 on Windows).
inline bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Display conversions to and from the ANSI code page.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& bytes);
