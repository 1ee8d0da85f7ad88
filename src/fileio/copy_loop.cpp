// Placeholder for the block copy loop.
#include "fileio/modFileIO.h"

namespace modFileIO {
CopyOutcome CopyBlocks(HANDLE, HANDLE, const std::wstring&, const std::wstring&, int64_t) {
  return CopyFailed;
}
}  // namespace modFileIO
