// The verify pass: the source and the copy read back from the start, both
// unbuffered so that the destination's bytes come from its disk and not from
// the cache that still holds what was written, in blocks of the copy's size,
// and compared. It finds what no end check can: a disk or a file system that
// stored other bytes than it was given.
#include <algorithm>
#include <cstring>

#include "console/Con.h"
#include "fileio/copy_job.h"
#include "fileio/file_calls.h"

namespace modFileIO {
namespace {

Finding Unreadable(bool source, int64_t at) {
  Finding found = FailedCall(Found::VerifyUnreadable, source);
  found.At = at;
  return found;
}

Finding Differs(const CopyJob& job, int64_t at) {
  Finding found = FindingOf(Found::VerifyDiffers);
  found.At = at;
  found.Actual = job.TotalBytes;
  return found;
}

Finding Shrank(const CopyJob& job, int64_t now) {
  Finding found = FindingOf(Found::SourceShrank);
  found.Expected = found.At = job.TotalBytes;
  found.Actual = now;
  return found;
}

// Reads the next block of `file` into `buffer`; `got` is what came.
bool ReadBlock(const CopyJob& job, HANDLE file, char* buffer, DWORD& got) {
  got = 0;
  return FilePlatform.ReadFile(file, buffer, job.BlockBytes, &got, nullptr) != FALSE;
}

// Compares the block at `at`, `size` bytes of the source in the job's
// buffer against what the destination gave.
Finding CompareBlock(const CopyJob& job, const char* copy, DWORD copyGot, int64_t at,
                     DWORD size) {
  const DWORD common = std::min(copyGot, size);
  const auto differ = std::mismatch(job.Buffer, job.Buffer + common, copy);
  if (differ.first != job.Buffer + common) return Differs(job, at + (differ.first - job.Buffer));
  return common < size ? Differs(job, at + common) : Finding();
}

LoopEnd ComparePasses(CopyJob& job, HANDLE copy, char* copyBuffer, Finding& found) {
  BeginVerifyProgress(job.TotalBytes);
  for (int64_t at = 0; at < job.TotalBytes;) {
    const DWORD size = static_cast<DWORD>(std::min<int64_t>(job.BlockBytes, job.TotalBytes - at));
    DWORD sourceGot = 0;
    DWORD copyGot = 0;
    if (!ReadBlock(job, job.Source, job.Buffer, sourceGot)) found = Unreadable(true, at);
    else if (!ReadBlock(job, copy, copyBuffer, copyGot)) found = Unreadable(false, at);
    // The end checks found the source as long as the copy just before.
    else if (sourceGot < size) found = Shrank(job, at + sourceGot);
    else found = CompareBlock(job, copyBuffer, copyGot, at, size);
    if (!None(found)) return LoopEnd::Failed;
    at += size;
    RefreshVerifyProgress(at);
    if (Con::BreakPressed()) return LoopEnd::Stopped;
  }
  return LoopEnd::ReachedEnd;
}

}  // namespace

// A second block buffer beside the job's, and a reader of the destination
// checked to reach the file written: at most two blocks are held.
LoopEnd VerifyCopy(CopyJob& job, Finding& found) {
  if (!SetFilePointer64(job.Source, 0, FILE_BEGIN)) {
    found = Unreadable(true, 0);
    return LoopEnd::Failed;
  }
  const HANDLE copy = OpenReaderOf(job.DestAnsi, job.DestFacts, FILE_FLAG_NO_BUFFERING);
  if (copy == INVALID_HANDLE_VALUE) {
    found = Unreadable(false, 0);
    return LoopEnd::Failed;
  }
  char* copyBuffer = static_cast<char*>(
      FilePlatform.VirtualAlloc(nullptr, job.BlockBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  LoopEnd end = LoopEnd::Failed;
  if (copyBuffer == nullptr) {
    found = FailedCall(Found::BufferRefused);
    found.Count = job.BlockBytes;
  } else {
    end = ComparePasses(job, copy, copyBuffer, found);
    FilePlatform.VirtualFree(copyBuffer, 0, MEM_RELEASE);
  }
  FilePlatform.CloseHandle(copy);
  Con::SetForeColor(Con::LightGreen);
  Con::SetCursorRow(RowUnderProgress());
  return end;
}

}  // namespace modFileIO
