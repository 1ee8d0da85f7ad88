// What the engine asks the system, or reads in a path, only to choose the
// advice of a message. Private to src/fileio/.
#pragma once

#include <string>

#include "platform/platform.h"

namespace modFileIO {

// The logical sector size of the disk that holds `path`, 0 when unknown.
DWORD DiskSectorBytes(const std::wstring& path);
// True when the file at `path` carries the hidden or system attribute:
// Windows refuses to replace such a file (CREATE_ALWAYS) with error 5.
bool HiddenOrSystem(const std::wstring& path);
// A name that the system takes for a device on Windows, in any folder and
// with any extension: CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9.
bool IsDosDeviceName(const std::wstring& path);

}  // namespace modFileIO
