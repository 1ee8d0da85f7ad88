// One line of the progress box: a field line or a border. The frame is drawn
// with the true box-drawing characters; the console layer turns them into
// whatever its code page shows them with.
#include <algorithm>

#include "console/Con.h"
#include "fileio/format.h"
#include "fileio/modFileIO.h"

namespace modFileIO {
namespace {

const wchar_t FieldBorder = L'\x2551';  // ║
// Left end, line and right end of the top border, a divider and the bottom
// border, in the order of their kinds.
const wchar_t BorderChars[3][3] = {
    {L'\x2553', L'\x2500', L'\x2556'},  // ╓ ─ ╖
    {L'\x255F', L'\x2500', L'\x2562'},  // ╟ ─ ╢
    {L'\x255A', L'\x2550', L'\x255D'},  // ╚ ═ ╝
};
const int LabelWidth = 10;

// "║ ", the label right-aligned in ten columns, ": ", then the value ending
// four columns left of the window's edge. The columns between label and value
// are blanked, so a shorter value never leaves digits of an older, longer one.
void DrawFieldLine(const std::wstring& label, const std::wstring& value, int32_t labelColour,
                   int32_t valueColour, int32_t frameColour, int width) {
  Con::WriteText(std::wstring(1, FieldBorder) + L" ");
  Con::SetForeColor(labelColour);
  std::wstring shownLabel = Printable(label);
  if (shownLabel.size() > LabelWidth) shownLabel.erase(0, shownLabel.size() - LabelWidth);
  const int pad = std::max(LabelWidth - TextColumns(shownLabel), 0);
  std::wstring labelPart = std::wstring(static_cast<size_t>(pad), L' ') + shownLabel + L": ";

  // The blanks up to the value travel with the label: one write less a field.
  const std::wstring shownValue = Printable(value);
  const int valueColumn = width - TextColumns(shownValue) - 3;
  const int gap = valueColumn - Con::GetCursorCol() - TextColumns(labelPart);
  if (gap > 0) labelPart.append(static_cast<size_t>(gap), L' ');
  Con::WriteText(labelPart);
  Con::SetCursorCol(ToCell(valueColumn));
  Con::SetForeColor(valueColour);
  Con::WriteText(shownValue + L" ");
  Con::SetForeColor(frameColour);
  Con::WriteText(std::wstring(1, FieldBorder), true);
}

// Left end, one line character, the label if any, and line characters up to
// the right end in the window's last column but one.
void DrawBorderLine(const std::wstring& label, int32_t labelColour, int32_t frameColour,
                    const wchar_t (&chars)[3], int width) {
  Con::WriteText(std::wstring{chars[0], chars[1]});
  if (!label.empty()) {
    Con::SetForeColor(labelColour);
    Con::WriteText(L" " + Printable(label) + L" ");
    Con::SetForeColor(frameColour);
  }
  const int count = std::max(width - Con::GetCursorCol() - 2, 0);
  Con::WriteText(std::wstring(static_cast<size_t>(count), chars[1]) + chars[2], true);
}

}  // namespace

void DrawBoxLine(int16_t row, const std::wstring& label, const std::wstring& value,
                 int32_t labelColour, int32_t valueColour, int32_t frameColour, int32_t kind) {
  if (kind < FieldLine || kind > BottomBorder) return;
  Con::SetCursorRow(row);
  const int width = Con::GetWindowWidth();
  Con::SetForeColor(frameColour);
  if (kind == FieldLine)
    DrawFieldLine(label, value, labelColour, valueColour, frameColour, width);
  else
    DrawBorderLine(label, labelColour, frameColour, BorderChars[kind - TopBorder], width);
}

}  // namespace modFileIO
