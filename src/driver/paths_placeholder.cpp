// Placeholder until the path check lands.
#include "driver/modMain.h"

namespace modMain {
bool PathsUsable(const CopyParams&) { return true; }
}  // namespace modMain
