// Placeholder for the command-line tokenizer.
#include "driver/modMain.h"

namespace modMain {
std::vector<std::wstring> SplitCommandLine(const std::wstring&, bool) { return {}; }
}  // namespace modMain
