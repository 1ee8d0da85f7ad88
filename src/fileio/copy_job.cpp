// Placeholder for opening fresh and resumed copy jobs.
#include "fileio/modFileIO.h"

namespace modFileIO {
int32_t BufferBytes = 0;
CopyOutcome StartCopy(const std::wstring&, const std::wstring&) { return CopyNotStarted; }
CopyOutcome ResumeCopy(const std::wstring&, const std::wstring&) { return CopyNotStarted; }
}  // namespace modFileIO
