// The program's colours on a Windows console, unless NO_COLOR asks that the
// console's own be left alone (no-color.org).
#include "platform/platform.h"

namespace {

bool ColoursWanted() {
  static const bool wanted = [] {
    char value[2] = {0};
    // 0: not set; a set but empty NO_COLOR asks nothing.
    return GetEnvironmentVariableA("NO_COLOR", value, sizeof value) == 0;
  }();
  return wanted;
}

}  // namespace

BOOL WINAPI SetTextColours(HANDLE output, WORD attribute) {
  if (!ColoursWanted()) return TRUE;
  return SetConsoleTextAttribute(output, attribute);
}
