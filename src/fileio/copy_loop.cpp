// The block copy loop: full blocks through the unbuffered destination handle,
// the short tail through a buffered handle of its own, the progress box
// refreshed every hundred blocks (and plain lines as often as they are due).
#include <algorithm>

#include "console/Con.h"
#include "fileio/copy_job.h"
#include "fileio/file_calls.h"

namespace modFileIO {
namespace {

const int32_t BlocksPerRefresh = 100;

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void Refresh(const CopyJob& job, int32_t& blocksSinceRefresh) {
  RefreshProgress(job.StartOffset, job.SourceFacts.Size, job.TotalBytes);
  Con::SetForeColor(Con::LightGreen);
  blocksSinceRefresh = 0;
  ProcessPendingMessages();
  Con::SetCursorRow(RowUnderProgress());
}

// Writes the buffer's first `size` bytes through `file`; what was written
// counts, whether the write failed or not.
Finding WriteBuffer(CopyJob& job, HANDLE file, DWORD size, bool tail) {
  const int64_t before = job.TotalBytes;
  DWORD written = 0;
  const BOOL ok = FilePlatform.WriteFile(file, job.Buffer, size, &written, nullptr);
  const DWORD error = GetLastError();
  job.TotalBytes += written;
  if (ok) return Finding();
  Finding found = FindingOf(Found::WriteFailed);
  found.Error = error;
  found.Count = tail ? 1 : 0;
  found.At = job.TotalBytes;
  found.Expected = before;
  return found;
}

Finding TailFailure(Found what, DWORD size) {
  Finding found = FailedCall(what);
  found.Count = size;
  return found;
}

// The tail handle is opened by path, so it must still reach the file the copy
// has open: a destination renamed or deleted meanwhile would get its tail in a
// new file at the old path. Opening only what exists creates no such file.
HANDLE OpenTail(const CopyJob& job, DWORD size, Finding& found) {
  if (job.DestAnsi.empty()) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    found = TailFailure(Found::TailOpenFailed, size);
    return INVALID_HANDLE_VALUE;
  }
  const HANDLE tail =
      FilePlatform.CreateFileA(job.DestAnsi.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (tail == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const bool gone = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    found = TailFailure(gone ? Found::DestinationMoved : Found::TailOpenFailed, size);
    return INVALID_HANDLE_VALUE;
  }
  if (SameFile(FactsOf(tail), job.DestFacts)) return tail;
  FilePlatform.CloseHandle(tail);
  found = FindingOf(Found::DestinationMoved);
  found.Count = size;
  return INVALID_HANDLE_VALUE;
}

// Writes the short block where the full blocks ended and makes it durable
// before the tail handle goes away. On a file nobody else touches that is the
// file's end; on a disk the end is the disk's, far beyond.
Finding WriteTail(CopyJob& job, DWORD size) {
  Finding found;
  const HANDLE tail = OpenTail(job, size, found);
  if (tail == INVALID_HANDLE_VALUE) return found;
  // Written where the handle stands, at the start, it would overwrite the copy.
  if (!SetFilePointer64(tail, job.TotalBytes, FILE_BEGIN))
    found = TailFailure(Found::TailSeekFailed, size);
  if (None(found)) found = WriteBuffer(job, tail, size, true);
  if (None(found) && !FilePlatform.FlushFileBuffers(tail)) found = FailedCall(Found::FlushFailed);
  FilePlatform.CloseHandle(tail);
  return found;
}

// A disk file reads short only at its end; a read cut short before it (a
// file system that delivers what came before a failed request) must not be
// written as the tail. The end is measured against the smaller of the size at
// the start and the size now: a source that grows after the read is at its
// end all the same, and one that shrank is told so at the end checks, unless
// it did before this run wrote anything: the open of a fresh copy's
// destination truncates it, and had that reached the source, through a path
// none of the checks saw through, at least nothing is copied and no
// "completed" said.
Finding CheckEndOfSource(const CopyJob& job, DWORD got) {
  SetLastError(NO_ERROR);
  const int64_t now = GetFileSize64(job.Source);
  if (GetLastError() != NO_ERROR) return Finding();
  Finding found;
  if (now < job.SourceFacts.Size && !job.Resume && job.TotalBytes == 0) {
    found = FindingOf(Found::SourceCutByOpen);
    found.Expected = job.SourceFacts.Size;
  } else if (job.TotalBytes + got < std::min(now, job.SourceFacts.Size)) {
    found = FindingOf(Found::ShortRead);
    found.Count = got;
    found.At = job.TotalBytes;
  }
  found.Actual = now;
  return found;
}

// The passes of the loop, until the source's end, a break or a failure.
LoopEnd CopyPasses(CopyJob& job, Finding& found) {
  int32_t blocksSinceRefresh = 0;
  for (;;) {
    DWORD got = 0;
    if (!FilePlatform.ReadFile(job.Source, job.Buffer, job.BlockBytes, &got, nullptr)) {
      found = FailedCall(Found::ReadFailed);
      found.At = job.TotalBytes;
      return LoopEnd::Failed;
    }
    if (got < job.BlockBytes) found = CheckEndOfSource(job, got);
    // A short block is the end of the source as this copy sees it. Nothing is
    // read after it: a source still growing could deliver another full block,
    // and the unbuffered handle, which never wrote the short block, would put
    // that block over it.
    if (None(found) && got > 0 && got < job.BlockBytes) found = WriteTail(job, got);
    if (None(found) && got == job.BlockBytes) found = WriteBuffer(job, job.Dest, got, false);
    if (!None(found)) return LoopEnd::Failed;
    if (got < job.BlockBytes) return LoopEnd::ReachedEnd;
    if (++blocksSinceRefresh == BlocksPerRefresh || ProgressLineDue())
      Refresh(job, blocksSinceRefresh);
    if (Con::BreakPressed()) return LoopEnd::Stopped;
  }
}

}  // namespace

LoopEnd RunBlocks(CopyJob& job, Finding& found) {
  SYSTEMTIME startTime;
  CurrentLocalTime(startTime);
  const int16_t boxLeftCol = Con::GetCursorCol();
  const int16_t boxTopRow = Con::GetCursorRow();
  PaintProgress(boxTopRow, boxLeftCol, job.SourcePath, job.DestPath, job.StartOffset,
                job.SourceFacts.Size, startTime);
  // A finished copy (or an empty source): nothing is left to read, and the
  // source of a finished copy was not even positioned.
  if (job.TotalBytes >= job.SourceFacts.Size) return LoopEnd::ReachedEnd;
  const LoopEnd end = CopyPasses(job, found);
  // Keep what was written for /R; the failure is told by the ending.
  if (end == LoopEnd::Failed) FilePlatform.FlushFileBuffers(job.Dest);
  return end;
}

}  // namespace modFileIO
