// NO_COLOR and the terminfo database's `colors`, read from the compiled entry
// itself: a few dozen lines spare the program a dependency on ncurses.
#include "platform/posix/terminal_colours.h"

#include "platform/platform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The compiled entry's header: a magic number and five counts, 16-bit little
// endian. 0432 entries hold 16-bit numbers, 01036 (ncurses 6.1) 32-bit ones.
const int LegacyMagic = 0432;
const int WideMagic = 01036;
const size_t ColorsIndex = 13;  // max_colors among the numeric capabilities

int Short(const std::vector<unsigned char>& data, size_t at) {
  const int value = data[at] | (data[at + 1] << 8);
  return value >= 0x8000 ? value - 0x10000 : value;
}

// An entry that isn't one counts as none found.
int Colours(const std::vector<unsigned char>& data) {
  if (data.size() < 12) return -2;
  const int magic = Short(data, 0);
  if (magic != LegacyMagic && magic != WideMagic) return -2;
  const size_t width = magic == WideMagic ? 4 : 2;
  const int names = Short(data, 2), booleans = Short(data, 4), numbers = Short(data, 6);
  if (names < 0 || booleans < 0 || numbers <= static_cast<int>(ColorsIndex)) return -1;
  size_t at = 12 + static_cast<size_t>(names) + static_cast<size_t>(booleans);
  at += at % 2;  // numbers start on an even byte
  at += ColorsIndex * width;
  if (at + width > data.size()) return -1;
  if (width == 2) return Short(data, at);
  return static_cast<int32_t>(static_cast<uint32_t>(data[at]) | data[at + 1] << 8 |
                              data[at + 2] << 16 | static_cast<uint32_t>(data[at + 3]) << 24);
}

// The folders ncurses searches, in its order.
std::vector<std::string> TerminfoFolders() {
  std::vector<std::string> folders;
  if (const char* own = std::getenv("TERMINFO")) folders.push_back(own);
  if (const char* home = std::getenv("HOME")) folders.push_back(std::string(home) + "/.terminfo");
  if (const char* list = std::getenv("TERMINFO_DIRS")) {
    std::string rest = list;
    for (size_t colon; (colon = rest.find(':')) != std::string::npos; rest.erase(0, colon + 1))
      folders.push_back(rest.substr(0, colon));
    folders.push_back(rest);
  }
  for (const char* system : {"/etc/terminfo", "/lib/terminfo", "/usr/share/terminfo"})
    folders.push_back(system);
  return folders;
}

}  // namespace

int TerminfoColours(const char* term) {
  if (!term || !*term || std::string(term).find('/') != std::string::npos) return -2;
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(term[0]));
  for (const std::string& folder : TerminfoFolders()) {
    if (folder.empty()) continue;
    // Letter folders on most systems, hexadecimal ones on case-blind disks.
    for (const std::string& sub : {std::string(1, term[0]), std::string(hex)}) {
      std::ifstream entry(folder + "/" + sub + "/" + term, std::ios::binary);
      if (!entry) continue;
      const std::vector<unsigned char> data((std::istreambuf_iterator<char>(entry)),
                                            std::istreambuf_iterator<char>());
      return Colours(data);
    }
  }
  return -2;
}

BOOL WINAPI SetTextColours(HANDLE output, WORD attribute) {
  return SetConsoleTextAttribute(output, attribute);
}

bool TerminalShowsColours() {
  static const bool shows = [] {
    const char* noColour = std::getenv("NO_COLOR");
    if (noColour && *noColour) return false;
    const int colours = TerminfoColours(std::getenv("TERM"));
    return colours == -2 || colours >= 8;
  }();
  return shows;
}
