// Where a resumed copy goes on, and whether it may. The destination's size
// is the resume point; a resumed copy trusts that the destination is the
// start of this very source. When it is another file, or the source has
// changed since the copy began, appending would make a file that matches
// neither, and would do so silently. So the source must not have been written
// since the destination was, and the last block before the resume point and
// a few pieces spread over the rest, the first included, must be the
// source's: a changed source, another file of the same kind or a file of
// zeros shows in them, for a few extra reads of each file.
#include <algorithm>
#include <cstring>
#include <string>

#include "fileio/copy_job.h"
#include "fileio/file_calls.h"

namespace modFileIO {
namespace {

// File systems that keep even seconds (FAT) round a time up to 2 s.
const int64_t TimeSlackTicks = 2 * 10000000LL;
const int Samples = 8;
const DWORD SampleBytes = 64 * 1024;

int64_t Ticks(const FILETIME& time) {
  return static_cast<int64_t>(static_cast<uint64_t>(time.dwHighDateTime) << 32 |
                              time.dwLowDateTime);
}

// The compared part starts and ends on whole sectors of the smallest size, so
// that the source's unbuffered read keeps the sector rule wherever the resume
// offset itself does.
DWORD WindowBytes(DWORD blockBytes, int64_t startOffset) {
  const int64_t block = std::min<int64_t>(blockBytes, startOffset);
  const int64_t whole = block - block % SmallestSectorBytes;
  return static_cast<DWORD>(whole > 0 ? whole
                                      : std::min<int64_t>(SmallestSectorBytes, startOffset));
}

// Compares the `size` bytes of both files that end at `end`: the source's
// through `source` into the job's buffer, the destination's through the
// guard, piece by piece beside it.
Finding CompareWindow(const CopyJob& job, HANDLE source, DWORD size, int64_t end) {
  DWORD got = 0;
  const ReadResult read = ReadAt(source, end - size, job.Buffer, size, got);
  // A source that ends inside the window has changed since it was measured;
  // the read after its end may even be refused (an unbuffered handle at an
  // end that is no whole sector).
  if (read == ReadDone && got < size) return FindingOf(Found::NotAPartialCopy);
  if (read == ReadFailed && got > 0) return FindingOf(Found::NotAPartialCopy);
  if (read != ReadDone) {
    Finding found = FailedCall(read == SeekFailed ? Found::SeekFailed : Found::CheckReadFailed, true);
    found.At = job.StartOffset;
    return found;
  }
  if (!job.GuardReads) {
    Finding found = FindingOf(Found::DestUnreadable);
    found.Error = ERROR_ACCESS_DENIED;
    return found;
  }
  std::string piece(SampleBytes, '\0');
  for (DWORD done = 0; done < size; done += got) {
    const DWORD wanted = std::min(size - done, SampleBytes);
    if (ReadAt(job.Guard, end - size + done, &piece[0], wanted, got) != ReadDone)
      return FailedCall(Found::DestUnreadable);
    if (got != wanted || std::memcmp(piece.data(), job.Buffer + done, wanted) != 0)
      return FindingOf(Found::NotAPartialCopy);
  }
  return Finding();
}

// The pieces spread over the prefix first, whole sectors at whole multiples
// of their size; the last block last, which leaves `source` at the resume
// point.
Finding CompareBeforeResumePoint(const CopyJob& job, HANDLE source) {
  const int64_t startOffset = job.StartOffset;
  const DWORD size = WindowBytes(job.BlockBytes, startOffset);
  const DWORD sample = std::min(size, SampleBytes);
  Finding found;
  int64_t end = 0;
  DWORD compared = sample;
  for (int i = 0; None(found) && i < Samples; ++i) {
    const int64_t at = startOffset / Samples * i / sample * sample;
    if (at + sample > startOffset - size) break;  // the last block covers the rest
    if (i > 0 && at + sample == end) continue;    // a short prefix: a piece already compared
    end = at + sample;
    found = CompareWindow(job, source, sample, end);
  }
  if (None(found)) {
    end = startOffset;
    compared = size;
    found = CompareWindow(job, source, size, end);
  }
  if (found.What == Found::NotAPartialCopy) {
    found.At = end - compared;
    found.Expected = compared;
  }
  return found;
}

// A source written after the destination's last write changed after the
// copy stopped; what was copied of it may no longer be its bytes, even where
// the compared pieces still agree. A finished copy carries its source's time.
Finding CheckResumePoint(const CopyJob& job, HANDLE source) {
  if (job.StartOffset <= 0) return Finding();
  if (Ticks(job.SourceFacts.LastWrite) > Ticks(job.DestFacts.LastWrite) + TimeSlackTicks)
    return FindingOf(Found::SourceNewer);
  return CompareBeforeResumePoint(job, source);
}

// A finished copy: nothing is left to read, and an unbuffered handle could
// not even be moved to an end that is no whole sector. Its last block is
// still compared, through a buffered reader of the source: a file of the
// same size is not yet a copy.
Finding CheckFinishedCopy(const CopyJob& job) {
  const HANDLE reader = OpenReaderOf(job.SourceAnsi, job.SourceFacts);
  if (reader == INVALID_HANDLE_VALUE) return FailedCall(Found::SourceUnreadable);
  const Finding found = CheckResumePoint(job, reader);
  FilePlatform.CloseHandle(reader);
  return found;
}

Finding SeekTo(HANDLE file, int64_t distance, DWORD method, bool source, int64_t startOffset) {
  if (SetFilePointer64(file, distance, method)) return Finding();
  Finding found = FailedCall(Found::SeekFailed, source);
  found.At = startOffset;
  return found;
}

}  // namespace

Finding PositionForResume(CopyJob& job) {
  // A device measures its capacity, not what an interrupted copy wrote to it.
  if (job.DestFacts.Device) return FindingOf(Found::ResumeOntoDevice);
  if (!job.DestFacts.Known) {
    Finding found = FindingOf(Found::Unmeasurable);
    found.Error = job.DestFacts.Error;
    return found;
  }
  job.StartOffset = job.TotalBytes = job.DestFacts.Size;
  if (job.StartOffset > job.SourceFacts.Size) {
    Finding found = FindingOf(Found::LongerDestination);
    found.Expected = job.SourceFacts.Size;
    found.Actual = job.StartOffset;
    return found;
  }
  if (job.StartOffset == job.SourceFacts.Size) return CheckFinishedCopy(job);
  Finding found = SeekTo(job.Source, job.StartOffset, FILE_BEGIN, true, job.StartOffset);
  if (None(found)) found = SeekTo(job.Dest, 0, FILE_END, false, job.StartOffset);
  if (None(found)) found = CheckResumePoint(job, job.Source);
  return found;
}

}  // namespace modFileIO
