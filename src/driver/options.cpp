// Placeholder for the copy options and the block size.
#include "driver/modMain.h"

namespace modMain {
CopyParams ParseCopyParams(const std::vector<std::wstring>&) { return CopyParams(); }
bool SetBufferBytes(const std::wstring&) { return false; }
}  // namespace modMain
