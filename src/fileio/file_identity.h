// Whether two handles reach one file. Private to src/fileio/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace modFileIO {

// True when both open handles reach the same file: the same volume serial
// number and file index, which no other spelling, link or rename changes.
// False when either can't be asked.
bool SameFileHandles(HANDLE one, HANDLE other);

}  // namespace modFileIO

namespace modFileIO {

// True when two file times are the same to the 100 ns.
inline bool SameTime(const FILETIME& one, const FILETIME& other) {
  return one.dwLowDateTime == other.dwLowDateTime && one.dwHighDateTime == other.dwHighDateTime;
}
// True for a handle on a device (a disk or a volume), whose size is its
// capacity, not what was written to it.
bool IsDeviceHandle(HANDLE file);
// A buffered read-only handle on `ansiPath`, when it reaches the same file as
// `sameAs`: a check reads through it what the copy's own handles can't (an
// unbuffered handle only whole sectors, a destination handle not at all).
// INVALID_HANDLE_VALUE, with the system's last error, when it can't be had.
HANDLE OpenReaderOf(const std::string& ansiPath, HANDLE sameAs);
// Reads up to `size` bytes from `offset` on; `got` is what was there.
bool ReadAt(HANDLE file, int64_t offset, char* buffer, DWORD size, DWORD& got);

}  // namespace modFileIO
