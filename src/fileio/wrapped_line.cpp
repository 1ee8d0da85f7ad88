// Message lines fitted to the console's width.
#include <algorithm>

#include "console/Con.h"
#include "fileio/format.h"
#include "fileio/modFileIO.h"

namespace modFileIO {
namespace {

// Below this many columns a console is too narrow to wrap sensibly.
const size_t NarrowestWrap = 20;

}  // namespace

// On a console a long line is broken at the last space that fits the window,
// so that the console's own wrap never cuts a word; the last column is left
// free, as the boxes leave it. A file or a pipe (width 1) gets the line whole.
// Messages carry the user's paths and arguments: their control characters
// are shown as "?", so that no name can move the cursor, clear the screen or
// retitle the terminal of whoever reads the output, now or from a log later.
void WriteWrapped(const std::wstring& text) {
  const size_t room = static_cast<size_t>(std::max<int>(Con::GetWindowWidth(), 1)) - 1;
  std::wstring rest = Printable(text);
  while (room >= NarrowestWrap && rest.size() > room) {
    const size_t space = rest.rfind(L' ', room);
    const bool word = space != std::wstring::npos && space > 0;
    const size_t cut = word ? space : room;
    Con::WriteText(rest.substr(0, cut), true);
    rest.erase(0, word ? cut + 1 : cut);
  }
  Con::WriteText(rest, true);
}

}  // namespace modFileIO
