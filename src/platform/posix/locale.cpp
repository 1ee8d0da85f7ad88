// GetLocaleInfoA over the POSIX locale named by the environment (LC_ALL,
// LC_NUMERIC, LC_TIME, LANG), read through a locale object of our own so the
// process's global locale is never changed. Text comes back in UTF-8, the
// ANSI code page here, whatever the locale's own character set is.
#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "platform/platform.h"

namespace {

// The system's default locale: one user per POSIX environment, so the same.
const LCID kSystemDefault = 0x0800;

// The locale's bytes as UTF-8: decoded with the locale's own character set,
// which only a thread-local switch to that locale can do without touching
// the global one.
std::string ToUtf8(const char* bytes, locale_t locale) {
  const locale_t previous = uselocale(locale);
  std::mbstate_t state{};
  const char* source = bytes;
  std::wstring wide(std::strlen(bytes) + 1, L'\0');
  const size_t count = std::mbsrtowcs(&wide[0], &source, wide.size(), &state);
  uselocale(previous);
  if (count == static_cast<size_t>(-1)) return std::string();
  wide.resize(count);
  std::string utf8(wide.size() * 4, '\0');
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       &utf8[0], static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(size > 0 ? static_cast<size_t>(size) : 0);
  return utf8;
}

// The separator between hours and minutes in a strftime time format: what
// follows the first hour field up to the next field.
std::string TimeSeparator(const std::string& format) {
  for (size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] != '%') continue;
    size_t k = i + 1;
    while (k < format.size() && std::strchr("_-0^#EO", format[k]) != nullptr) ++k;
    if (k >= format.size()) break;
    const char field = format[k];
    if (field == 'T' || field == 'R' || field == 'r') return ":";
    if (std::strchr("HIkl", field) != nullptr) {
      const size_t next = format.find('%', k + 1);
      const std::string separator =
          format.substr(k + 1, next == std::string::npos ? next : next - k - 1);
      if (!separator.empty()) return separator;
    }
    i = k;
  }
  return ":";
}

// The locale's answer for one information type; false for a type not known
// here.
bool LocaleText(LCTYPE type, std::string& text) {
  int category = 0;
  if (type == LOCALE_SDECIMAL || type == LOCALE_STHOUSAND) category = LC_NUMERIC_MASK;
  if (type == LOCALE_STIME) category = LC_TIME_MASK;
  if (category == 0) return false;
  text.clear();
  const locale_t locale = newlocale(category | LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (locale != static_cast<locale_t>(0)) {
    if (type == LOCALE_SDECIMAL) text = ToUtf8(nl_langinfo_l(RADIXCHAR, locale), locale);
    if (type == LOCALE_STHOUSAND) text = ToUtf8(nl_langinfo_l(THOUSEP, locale), locale);
    if (type == LOCALE_STIME) text = TimeSeparator(ToUtf8(nl_langinfo_l(T_FMT, locale), locale));
    freelocale(locale);
  }
  // A locale without a thousands separator (C, POSIX) still groups by
  // three with a comma, as Windows' default locale does.
  if (text.empty()) text = type == LOCALE_SDECIMAL ? "." : type == LOCALE_STHOUSAND ? "," : ":";
  return true;
}

}  // namespace

int WINAPI GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData) {
  if ((Locale != LOCALE_USER_DEFAULT && Locale != kSystemDefault) || cchData < 0 ||
      (cchData > 0 && lpLCData == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string text;
  if (!LocaleText(LCType, text)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const int needed = static_cast<int>(text.size()) + 1;  // with the NUL
  if (cchData == 0) return needed;
  if (cchData < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpLCData, text.c_str(), static_cast<size_t>(needed));
  return needed;
}
