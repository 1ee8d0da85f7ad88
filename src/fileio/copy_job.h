// One copy job and its phases: open, check, position (a resumed copy), run,
// check the end, finish. The job record goes from phase to phase; each phase
// returns what it found. Private to src/fileio/.
#pragma once

#include <cstdint>
#include <string>

#include "fileio/file_facts.h"
#include "fileio/findings.h"
#include "fileio/modFileIO.h"

namespace modFileIO {

struct CopyJob {
  bool Resume = false;
  bool Verify = false;  // read the copy back from the disk before "completed"
  std::wstring SourcePath;  // as the user gave them: shown and named in messages
  std::wstring DestPath;
  std::string SourceAnsi;  // as CreateFileA is given them, converted once
  std::string DestAnsi;
  HANDLE Source = INVALID_HANDLE_VALUE;  // unbuffered, for reading
  // Buffered, holding the one-writer lock for the whole copy; it also reads
  // the destination back for the checks where GuardReads.
  HANDLE Guard = INVALID_HANDLE_VALUE;
  bool GuardReads = false;
  bool Locked = false;
  bool Created = false;                // the guard's open made the file
  HANDLE Dest = INVALID_HANDLE_VALUE;  // unbuffered, for writing
  FileFacts SourceFacts;               // taken once, right after each open
  FileFacts DestFacts;
  char* Buffer = nullptr;  // page-aligned, as unbuffered transfers need
  DWORD BlockBytes = 0;
  int64_t StartOffset = 0;  // bytes the destination held before this run
  int64_t TotalBytes = 0;   // bytes the destination holds now
};

// How the block loop ended.
enum class LoopEnd { ReachedEnd, Stopped, Failed };

// ---- Open -------------------------------------------------------------------

// The block size, once per job, before any file is opened.
Finding CheckBlockSize(CopyJob& job);
// With the block size checked, opens the source, then, with the buffer had,
// an existing destination checked and the guard's lock taken, the
// destination: truncated for a fresh copy, kept for a resumed one. On a
// refusal nothing it opened stays open and no destination was created or
// truncated.
Finding OpenJob(CopyJob& job);
// Closes what the job holds, on every path.
void CloseJob(CopyJob& job);

// The block buffer, had and its pages in use before the destination is
// touched, so that a lack of memory stops the copy while nothing changed.
Finding ReserveBuffer(CopyJob& job);
void ReleaseBuffer(CopyJob& job);

// A file or a disk, or the refusal of the other kinds: a pipe, FIFO, socket,
// character device or console, or a file the system makes up as it is read.
Finding CheckDiskFile(const FileFacts& facts, bool source);
// The checks of an existing destination, through `probe`, a handle that may
// only query: not the source under any name, a file or a disk, not where
// this program's own output goes.
Finding CheckExistingDest(const CopyJob& job, const FileFacts& probe);

// ---- Check and position -----------------------------------------------------

// A fresh copy onto a device: the source must fit it.
Finding CheckFits(const CopyJob& job);
// A resumed copy: measures both files, positions them at the destination's
// end and checks that what the destination holds is the source's start.
Finding PositionForResume(CopyJob& job);

// ---- Run, check the end, finish ---------------------------------------------

// Paints the progress and runs the block loop; a failure is in `found`.
LoopEnd RunBlocks(CopyJob& job, Finding& found);
// Before "completed": the destination's name still reaches the file written,
// and another program changed neither file meanwhile.
Finding CheckEnd(const CopyJob& job);
// Gives the destination the source's time and flushes it: the copy is on
// the disk, dated like its source.
Finding SealCopy(const CopyJob& job);
// Reads both files back from the disk, unbuffered, and compares them;
// ReachedEnd when every byte is the source's.
LoopEnd VerifyCopy(CopyJob& job, Finding& found);

// The endings, each with its lines.
CopyOutcome StoppedEnding(CopyJob& job);
CopyOutcome UnverifiedEnding(const CopyJob& job);
CopyOutcome CompletedEnding(const CopyJob& job);
CopyOutcome FailedEnding(const CopyJob& job, const Finding& found);

}  // namespace modFileIO
