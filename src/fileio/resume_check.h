// The check a resumed copy makes before it appends. Private to src/fileio/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace modFileIO {

// True when the destination's last block before `startOffset` (up to
// BufferBytes, at least one sector) holds the source's bytes at the same
// place, or when `startOffset` is 0. Reads that part of the source through the
// open, unbuffered `sourceFile`, which is left at `startOffset`, and the
// destination through a read-only handle of its own. False, after the lines
// that say why, when they differ or can't be read; nothing is written either
// way.
bool ResumePointMatches(HANDLE sourceFile, const std::wstring& destPath, int64_t startOffset);
// The same check for a destination as long as the source (`size` bytes), whose
// end no unbuffered handle can reach when it is no whole sector: the source is
// read through a buffered handle of its own, which must reach the file that
// `sourceFile` has open.
bool FinishedCopyMatches(HANDLE sourceFile, const std::wstring& sourcePath,
                         const std::wstring& destPath, int64_t size);

}  // namespace modFileIO
