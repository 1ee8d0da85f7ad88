// The checks before "completed": both files as this copy left them, and the
// destination still where the user named it. Both files are open with read
// and write sharing (the tail handle needs it), so another program may cut,
// write, rename or delete either while the copy runs; what it leaves behind
// in sizes, times, holes and names is looked for here, against the facts
// taken when each file was opened.
#include <algorithm>
#include <string>

#include "fileio/copy_job.h"
#include "fileio/file_calls.h"

namespace modFileIO {
namespace {

const DWORD PieceBytes = 64 * 1024;
const int RangesPerQuery = 16;

// The name reaches the file written, or, where the system can't say
// (a folder gone unreadable), nothing shows otherwise.
Finding CheckName(const CopyJob& job) {
  if (job.DestAnsi.empty()) return Finding();
  const FileFacts now = FactsAtPath(job.DestAnsi);
  const bool gone = !now.Known && (now.Error == ERROR_FILE_NOT_FOUND ||
                                   now.Error == ERROR_PATH_NOT_FOUND);
  if (gone || (now.Known && !SameFile(now, job.DestFacts)))
    return FindingOf(Found::DestinationMoved);
  return Finding();
}

Finding CheckSource(const CopyJob& job) {
  SetLastError(NO_ERROR);
  const int64_t now = GetFileSize64(job.Source);
  Finding found;
  if (GetLastError() != NO_ERROR) return found;
  found.At = job.TotalBytes;
  found.Expected = job.SourceFacts.Size;
  found.Actual = now;
  if (now < job.TotalBytes) {
    found.What = Found::SourceShrank;
    return found;
  }
  if (now > job.TotalBytes) {
    found.What = Found::SourceGrew;
    return found;
  }
  // A source that grew while it was read, and was read to its new end, has
  // a new time for its new bytes.
  FILETIME lastWrite;
  if (now == job.SourceFacts.Size && job.SourceFacts.Known &&
      FilePlatform.GetFileTime(job.Source, nullptr, nullptr, &lastWrite) &&
      !SameTime(lastWrite, job.SourceFacts.LastWrite))
    found.What = Found::SourceWritten;
  return found;
}

// True when the source's bytes from `start` to `end` are all zeros, as a hole
// of the destination reads: a file system that stores zeros as holes (ZFS
// with compression) makes such holes itself.
bool SourceZerosThere(const CopyJob& job, int64_t start, int64_t end) {
  const HANDLE reader = OpenReaderOf(job.SourceAnsi, job.SourceFacts);
  if (reader == INVALID_HANDLE_VALUE) return false;
  std::string piece(PieceBytes, '\0');
  bool zeros = true;
  for (int64_t at = start; zeros && at < end; at += PieceBytes) {
    const DWORD wanted = static_cast<DWORD>(std::min<int64_t>(PieceBytes, end - at));
    DWORD got = 0;
    zeros = ReadAt(reader, at, &piece[0], wanted, got) == ReadDone && got == wanted &&
            std::all_of(piece.begin(), piece.begin() + got, [](char c) { return c == 0; });
  }
  FilePlatform.CloseHandle(reader);
  return zeros;
}

// Looks for a hole in the destination's first bytes where the source has
// data. A copy writes every byte, so such a hole is another program's cut,
// extended again by the copy's next write. Where the system can't list the
// ranges, nothing is found.
Finding CheckHoles(const CopyJob& job) {
  const int64_t copied = job.TotalBytes;
  Finding found = FindingOf(Found::DestinationCut);
  const auto dataLost = [&](int64_t from, int64_t to) {
    found.At = from;
    found.Actual = std::min(to, copied);
    return found.Actual > found.At && !SourceZerosThere(job, found.At, found.Actual);
  };
  int64_t covered = 0;
  for (bool more = true; more && covered < copied;) {
    FILE_ALLOCATED_RANGE_BUFFER query;
    query.FileOffset.QuadPart = covered;
    query.Length.QuadPart = copied - covered;
    FILE_ALLOCATED_RANGE_BUFFER ranges[RangesPerQuery];
    DWORD returned = 0;
    more = !FilePlatform.DeviceIoControl(job.Guard, FSCTL_QUERY_ALLOCATED_RANGES, &query,
                                         sizeof query, ranges, sizeof ranges, &returned, nullptr);
    const DWORD count = returned / sizeof ranges[0];
    if (more && (GetLastError() != ERROR_MORE_DATA || count == 0)) return Finding();
    for (DWORD i = 0; i < count; ++i) {
      const int64_t start = ranges[i].FileOffset.QuadPart;
      if (dataLost(covered, start)) return found;
      covered = std::max(covered, start + ranges[i].Length.QuadPart);
    }
  }
  return dataLost(covered, copied) ? found : Finding();
}

Finding CheckDestination(const CopyJob& job) {
  if (job.DestFacts.Device) return Finding();  // its size is its capacity
  SetLastError(NO_ERROR);
  const int64_t now = GetFileSize64(job.Dest);
  if (GetLastError() != NO_ERROR) return Finding();
  if (now != job.TotalBytes) {
    Finding found = FindingOf(Found::DestinationResized);
    found.At = job.TotalBytes;
    found.Actual = now;
    return found;
  }
  if (job.TotalBytes == 0 || !job.GuardReads) return Finding();
  return CheckHoles(job);
}

}  // namespace

Finding CheckEnd(const CopyJob& job) {
  Finding found = CheckSource(job);
  if (None(found)) found = CheckDestination(job);
  if (None(found)) found = CheckName(job);
  return found;
}

}  // namespace modFileIO
