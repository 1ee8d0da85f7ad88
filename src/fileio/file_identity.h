// Whether two handles reach one file. Private to src/fileio/.
#pragma once

#include "platform/platform.h"

namespace modFileIO {

// True when both open handles reach the same file: the same volume serial
// number and file index, which no other spelling, link or rename changes.
// False when either can't be asked.
bool SameFileHandles(HANDLE one, HANDLE other);

}  // namespace modFileIO
