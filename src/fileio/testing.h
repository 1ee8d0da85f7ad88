// The copy engine's test hooks: the platform calls, the clock and the tick,
// the user's separators and the engine's lines, each replaceable so that a
// test sees the engine at a fixed time and place and in failures a healthy
// machine never has. Private to src/fileio/ and its tests; nothing that ships
// calls these.
#pragma once

#include <string>

#include "fileio/file_calls.h"
#include "fileio/format.h"

namespace modFileIO {

// The platform's own calls, for putting them back into FilePlatform.
FileCalls RealFileCalls();
// Replaces the clock (tests fix the time with it); null restores the system's.
void SetClockSource(void (*source)(SYSTEMTIME& now));
// Replaces the tick that paces the plain progress lines; null restores it.
void SetTickSource(DWORD (*source)());
// Makes UserSeparators answer `fixed`; null goes back to the locale.
void FixSeparators(const LocaleSeparators* fixed);
// Hands every line the engine writes to `listener` too; null stops listening.
void SetEngineLineListener(void (*listener)(const std::wstring& line));

}  // namespace modFileIO
