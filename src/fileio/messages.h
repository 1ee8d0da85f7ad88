// The lines the copy engine writes, by the phase of a copy they belong to:
// each function writes one whole message, the fixed failure line first where
// there is one, then what happened and what to do. They probe nothing: what
// chooses their advice comes in as arguments. Private to src/fileio/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace modFileIO {

// Writes one line to standard output (followed by CR LF) in the current
// colour, and hands it to the listener, if one is set (see testing.h).
void EngineLine(const std::wstring& text);

// ---- Opening (open_messages.cpp) -------------------------------------------

void SayBadBlockSize(int32_t blockBytes);
void SayDevicePath(bool source);
// A path CreateFileA can't be given exactly.
void SayUnrepresentablePath(bool source);
// What made the system refuse to open the destination, beyond its error code.
struct OpenRefusal {
  bool DeviceName = false;      // a DOS device's name (PRN, LPT1)
  bool HiddenOrSystem = false;  // a file with those attributes
  bool Immutable = false;       // a file with the immutable or append-only attribute
};
// The failed CreateFileA's error, and what else is known of the refusal.
void SayOpenFailed(bool source, DWORD error, const OpenRefusal& why);
// GetFileType said `type`.
void SayNotADiskFile(bool source, DWORD type);
void SayUnmeasurable(DWORD error);
void SayBufferRefused(int64_t bytes, DWORD error);
void SaySameFile();
// The destination is where standard output and/or standard error write.
void SayStandardStream(bool output, bool error);
void SayMayBeTheSource();
void SayDestinationBusy();
void SaySourceCutByOpen(int64_t before, int64_t now);
void SayDeviceTooSmall(int64_t sourceSize, int64_t deviceSize);

// ---- Positioning a resumed copy (resume_messages.cpp) ----------------------

void SayResumeOntoDevice();
void SayLongerDestination(int64_t destSize, int64_t sourceSize);
// "Could not seek to offset in source/destination file" and why.
void SaySeekFailed(bool source, DWORD error, int64_t offset);
// Reading the source for the resume check failed; `sectorBytes`: the
// source disk's sector size, 0 when unknown.
void SayCheckReadFailed(DWORD error, int32_t blockBytes, int64_t startOffset, DWORD sectorBytes);
void SayNotAPartialCopy(int64_t windowStart, int64_t windowBytes);
void SayDestUnreadable(DWORD error);
void SaySourceUnreadable(DWORD error);
void SaySourceNewer();

// ---- The block loop (run_messages.cpp) -------------------------------------

// "ReadFile returned 0??" and why; `firstRead`: nothing was read yet in this
// run, when error 87 points at the sector rule.
void SayReadFailed(DWORD error, bool firstRead, int32_t blockBytes, int64_t startOffset,
                   int64_t totalBytes, DWORD sectorBytes);
// A read gave `got` of `blockBytes` bytes at byte `totalBytes`, short of the
// source's end at `sourceSize`.
void SayShortRead(DWORD got, DWORD blockBytes, int64_t totalBytes, int64_t sourceSize);
// "[buffered ]Write file returned 0, getlasterror is N" and what to do;
// `totalBytes` is what the destination holds, `processLimit` the process's
// file-size limit (-1: none), `fileSystem` the destination's file system
// (empty: unknown).
void SayWriteFailed(bool tail, DWORD error, bool firstWrite, int32_t blockBytes,
                    int64_t startOffset, int64_t totalBytes, DWORD sectorBytes,
                    int64_t processLimit, const std::wstring& fileSystem);
void SayTailOpenFailed(DWORD error, DWORD tailBytes);
void SayTailSeekFailed(DWORD error, DWORD tailBytes);
void SayFlushFailed(DWORD error);
// The destination's path no longer reaches the file written; `tailBytes`
// were left unwritten (0: every byte was written, to the file that went).
void SayDestinationMoved(DWORD tailBytes);
// After "[BREAK] User halt.".
void SayBreak(int64_t totalBytes);
// The copy completed, but the destination could not take the source's time.
void SayTimeNotKept(DWORD error);

// ---- The end checks (end_messages.cpp) -------------------------------------

void SaySourceShrank(int64_t atStart, int64_t now, int64_t copied);
// The source has `now` bytes where `copied` were copied, or (`written`) kept
// its size while its last-write time moved.
void SaySourceChanged(bool written, int64_t copied, int64_t now);
void SayDestinationResized(int64_t copied, int64_t now);
void SayDestinationCut(int64_t holeStart, int64_t holeEnd);

// ---- Reading the copy back (verify_messages.cpp) ---------------------------

// Reading `source` (or the destination) back failed at byte `at`.
void SayVerifyUnreadable(bool source, DWORD error, int64_t at);
// The destination read back from the disk differs from the source at `at`
// (`size`: the source's size; at == size: the destination ended there).
void SayVerifyDiffers(int64_t at, int64_t size);
// After "[BREAK] User halt." during the verify pass.
void SayVerifyStopped(int64_t totalBytes);
// The last line of a verified copy.
void SayVerified(int64_t totalBytes);

}  // namespace modFileIO
