// Text widths on Windows.
#include "platform/platform.h"

// One cell per character: a surrogate pair is one character.
int TextColumns(const std::wstring& text) {
  int columns = 0;
  for (wchar_t c : text)
    if (c < 0xDC00 || c > 0xDFFF) ++columns;
  return columns;
}
