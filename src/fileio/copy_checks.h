// What a copy checks besides its bytes: before an existing destination is
// touched, that nothing of value is lost by it; before "completed", that no
// other program changed either file meanwhile. Private to src/fileio/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace modFileIO {

// ---- Before the destination is opened ---------------------------------------

// A device or volume path in any spelling: \\.\ or \\?\, either slash, with
// anything after it but a drive path with a folder (\\?\C:\dir\file) or a
// share's file (\\?\UNC\server\share\file).
bool IsDevicePath(const std::wstring& path);
// True, after the lines that say so, when `probe` (a handle on the existing
// destination) reaches the file standard output or standard error write to.
bool StandardStreamOrReport(HANDLE probe);
// True, after the lines that say so, when the existing destination has the
// source's size, last-write time, change time and first bytes: the source
// reached by another path, which the file identity does not tell (bindfs,
// an overlay's upper folder against its merged one).
bool MayBeTheSourceOrReport(HANDLE source, const std::string& sourceAnsi, HANDLE probe,
                            const std::string& destAnsi);

// The block buffer for a copy of `sourceBytes`, allocated and its pages in
// use before any destination is created or truncated, so that a lack of
// memory stops the copy while the destination is still as it was. False after
// the report.
bool ReserveBlockBuffer(int64_t sourceBytes);
// The reserved buffer, now the caller's to free; null when none is reserved.
void* TakeBlockBuffer();
// Frees a buffer reserved for a copy that did not run.
void ReleaseBlockBuffer();

// ---- Before "completed" -----------------------------------------------------

struct SourceState {
  int64_t Size = 0;
  FILETIME LastWrite{};
  bool TimeKnown = false;
};
SourceState SourceStateOf(HANDLE source);

// True when both files are as this copy of `copied` bytes left them: the
// source as long as what was copied and, if its size is what it was at
// `atStart`, not written since; the destination (unless a device) as long as
// what was written, with no hole where the source has data. False after the
// lines that say which file another program changed.
bool CopyStable(HANDLE source, HANDLE dest, const std::wstring& sourcePath,
                const std::wstring& destPath, const SourceState& atStart, int64_t copied);

}  // namespace modFileIO
