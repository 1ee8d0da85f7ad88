// Text widths on Windows.
#include "platform/platform.h"

// One cell per UTF-16 unit: the console shows a character outside the BMP
// (an emoji) as two cells, one for each half of its surrogate pair.
int TextColumns(const std::wstring& text) { return static_cast<int>(text.size()); }
