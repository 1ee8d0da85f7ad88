// Message lines fitted to the console's width.
#include <algorithm>

#include "console/Con.h"
#include "fileio/format.h"
#include "fileio/modFileIO.h"
#include "platform/textconv.h"

namespace modFileIO {
namespace {

// Below this many columns a console is too narrow to wrap sensibly.
const int NarrowestWrap = 20;

// The combining marks met in names: they belong to the character before them.
bool IsCombiningMark(wchar_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
         (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
         (c >= 0xFE20 && c <= 0xFE2F);
}

// Where the character starting at `at` ends, with its surrogate pair and
// combining marks.
size_t NextCharacter(const std::wstring& text, size_t at) {
  size_t next = at + 1;
  if (next < text.size() && IsLowSurrogate(text[next])) ++next;
  while (next < text.size() && IsCombiningMark(text[next])) ++next;
  return next;
}

// The length of the longest start of `text` that takes at most `room`
// columns, whole characters only (at least one).
size_t FittingLength(const std::wstring& text, int room) {
  size_t fit = 0;
  for (int used = 0; fit < text.size();) {
    const size_t next = NextCharacter(text, fit);
    used += TextColumns(text.substr(fit, next - fit));
    if (used > room) return fit > 0 ? fit : next;
    fit = next;
  }
  return fit;
}

}  // namespace

// On a console a long line is broken at the last space that fits the window,
// so that the console's own wrap never cuts a word; the last column is left
// free, as the boxes leave it. Widths are counted in the console's columns.
// A file or a pipe (width 1) gets the line whole.
// Messages carry the user's paths and arguments: their control characters
// are shown as "?", so that no name can move the cursor, clear the screen or
// retitle the terminal of whoever reads the output, now or from a log later.
// Under Wine in a terminal, keys typed meanwhile (and "^C") are echoed by the
// terminal where the cursor rests, the start of a clean row, unknown to the
// console. A line that starts there is written over them: the cursor steps
// off column 0 and back, so that the console sends the terminal a move to
// the row's start, and the rest of the row is blanked.
void WriteWrapped(const std::wstring& text) {
  const int room = std::max<int>(Con::GetWindowWidth(), 1) - 1;
  std::wstring rest = Printable(text);
  const bool console = room >= NarrowestWrap;
  bool cover = console && Con::GetCursorCol() == 0;
  if (cover) {
    Con::SetCursorCol(1);
    Con::SetCursorCol(0);
  }
  while (console && TextColumns(rest) > room) {
    const size_t fit = FittingLength(rest, room);
    const size_t space = rest.rfind(L' ', fit);
    const bool word = space != std::wstring::npos && space > 0;
    const size_t cut = word ? space : fit;
    std::wstring line = rest.substr(0, cut);
    if (cover) line.append(static_cast<size_t>(std::max(room - TextColumns(line), 0)), L' ');
    Con::WriteText(line, true);
    rest.erase(0, word ? cut + 1 : cut);
    cover = false;
  }
  if (cover) rest.append(static_cast<size_t>(std::max(room - TextColumns(rest), 0)), L' ');
  Con::WriteText(rest, true);
}

}  // namespace modFileIO
