// What a phase of a copy found that stops it: a refusal before anything is
// written, or a failure after. The checks return a Finding and print
// nothing; Report turns it into its lines. Private to src/fileio/.
#pragma once

#include <cstdint>

#include "fileio/modFileIO.h"

namespace modFileIO {

struct CopyJob;

// Each kind says which of Finding's fields it fills.
enum class Found {
  Nothing,
  // Opening. Refusals leave every file as it was.
  BadBlockSize,         // BufferBytes below 1 byte
  DevicePath,           // Source: which path is \\.\...
  UnrepresentablePath,  // Source: which path has no exact ANSI form
  OpenFailed,           // Source, Error
  NotADiskFile,         // Source, Count: the GetFileType type
  Unmeasurable,         // Error: a size that can't be read
  BufferRefused,        // Error; Count: the buffer's bytes
  SameFile,
  StandardStream,       // Count: 1 standard output, 2 standard error, 3 both
  MayBeTheSource,
  DestinationBusy,
  SourceCutByOpen,      // Expected: the source's size before, Actual: after
  DeviceTooSmall,       // Expected: the source's size, Actual: the device's
  // Positioning a resumed copy. Nothing is written.
  ResumeOntoDevice,
  LongerDestination,    // Expected: the source's size, Actual: the destination's
  SeekFailed,           // Source, Error
  CheckReadFailed,      // Error: reading the source for the resume check
  NotAPartialCopy,      // At: where the differing bytes start, Expected: how many
  DestUnreadable,       // Error: reading the destination for the resume check
  SourceUnreadable,     // Error: the source's path no longer reaches it, or can't be read
  SourceNewer,
  // The block loop. The destination keeps the whole blocks before the failure.
  ReadFailed,           // Error, At: the bytes copied
  ShortRead,            // Count: bytes read, At: the bytes copied, Actual: the source's size
  WriteFailed,          // Error, At: the bytes the destination holds; Count: 1 for the tail
  TailOpenFailed,       // Error, Count: the tail's bytes
  TailSeekFailed,       // Error, Count: the tail's bytes
  FlushFailed,          // Error
  DestinationMoved,     // Count: the tail's bytes left unwritten (0: all were written)
  // The end: another program changed a file while the copy ran.
  SourceShrank,         // Expected: the size at the start, Actual: now, At: the bytes copied
  SourceGrew,           // Actual: the size now, At: the bytes copied
  SourceWritten,        // the last-write time moved
  DestinationResized,   // Actual: the size now, At: the bytes written
  DestinationCut,       // At: a hole's start, Actual: its end
  // Reading the copy back.
  VerifyUnreadable,     // Source, Error, At: where a read of either file failed
  VerifyDiffers,        // At: the first byte that differs, Actual: the source's size
};

struct Finding {
  Found What = Found::Nothing;
  bool Source = false;  // the source, where either file may be meant
  DWORD Error = NO_ERROR;
  DWORD Count = 0;
  int64_t At = 0;
  int64_t Expected = 0;
  int64_t Actual = 0;
};

inline bool None(const Finding& found) { return found.What == Found::Nothing; }

// A finding of `what`, its facts to be filled in.
Finding FindingOf(Found what, bool source = false);
// The same with the system's last error.
Finding FailedCall(Found what, bool source = false);

// The finding's lines, with the facts of `job` that they need.
void Report(const Finding& found, const CopyJob& job);
// How a copy that ended with `found` ended, for the driver's exit code.
CopyOutcome OutcomeOf(const Finding& found);

}  // namespace modFileIO
