// Placeholder for text output, colours, cursor, widths and title.
#include "console/Con.h"
#include "console/ConState.h"

namespace Con {
int32_t WriteText(const std::wstring&, bool, int32_t, int32_t) { return 0; }
void SetForeColor(int32_t) {}
void SetBackColor(int32_t) {}
int32_t GetForeColor() { return 0; }
int32_t GetBackColor() { return 0; }
void SetCursorCol(int16_t) {}
void SetCursorRow(int16_t) {}
int16_t GetCursorCol() { return 0; }
int16_t GetCursorRow() { return 0; }
int16_t GetBufferWidth() { return 0; }
int16_t GetWindowWidth() { return 1; }
void SetTitle(const std::wstring&) {}
std::wstring GetTitle() { return std::wstring(); }
int32_t CoordToLong(COORD) { return 0; }
}  // namespace Con
