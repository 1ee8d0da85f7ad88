// Placeholder for the program's run.
#include "driver/modMain.h"

namespace modMain {
int Main() { return ExitBadCommandLine; }
}  // namespace modMain
