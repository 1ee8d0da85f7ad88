// The checks before "completed": both files as this copy left them. Both are
// open with read and write sharing (the tail handle needs it), so another
// program may cut or write either while the copy runs; what it leaves behind
// in sizes, times and holes is looked for here.
#include <algorithm>

#include "fileio/copy_checks.h"
#include "fileio/copy_messages.h"
#include "fileio/file_calls.h"
#include "fileio/file_identity.h"
#include "fileio/modFileIO.h"
#include "platform/textconv.h"

namespace modFileIO {
namespace {

const DWORD PieceBytes = 64 * 1024;
const int RangesPerQuery = 16;

// True when the source's bytes from `start` to `end` are all zeros, as a hole
// of the destination reads: a file system that stores zeros as holes (ZFS
// with compression) makes such holes itself.
bool SourceZerosThere(const std::string& sourceAnsi, HANDLE source, int64_t start, int64_t end) {
  const HANDLE reader = OpenReaderOf(sourceAnsi, source);
  if (reader == INVALID_HANDLE_VALUE) return false;
  std::string piece(PieceBytes, '\0');
  bool zeros = true;
  for (int64_t at = start; zeros && at < end; at += PieceBytes) {
    const DWORD wanted = static_cast<DWORD>(std::min<int64_t>(PieceBytes, end - at));
    DWORD got = 0;
    zeros = ReadAt(reader, at, &piece[0], wanted, got) && got == wanted &&
            std::all_of(piece.begin(), piece.begin() + got, [](char c) { return c == 0; });
  }
  FilePlatform.CloseHandle(reader);
  return zeros;
}

// Looks for a hole in the destination's first `copied` bytes where the source
// has data. A copy writes every byte, so such a hole is another program's
// cut, extended again by the copy's next write. Where the system can't list
// the ranges, nothing is found.
bool HoleWithData(HANDLE destReader, const std::string& sourceAnsi, HANDLE source,
                  int64_t copied, int64_t& holeStart, int64_t& holeEnd) {
  const auto dataLost = [&](int64_t from, int64_t to) {
    holeStart = from;
    holeEnd = std::min(to, copied);
    return holeEnd > holeStart && !SourceZerosThere(sourceAnsi, source, holeStart, holeEnd);
  };
  int64_t covered = 0;
  for (bool more = true; more && covered < copied;) {
    FILE_ALLOCATED_RANGE_BUFFER query;
    query.FileOffset.QuadPart = covered;
    query.Length.QuadPart = copied - covered;
    FILE_ALLOCATED_RANGE_BUFFER ranges[RangesPerQuery];
    DWORD returned = 0;
    more = !FilePlatform.DeviceIoControl(destReader, FSCTL_QUERY_ALLOCATED_RANGES, &query,
                                         sizeof query, ranges, sizeof ranges, &returned, nullptr);
    const DWORD count = returned / sizeof ranges[0];
    if (more && (GetLastError() != ERROR_MORE_DATA || count == 0)) return false;
    for (DWORD i = 0; i < count; ++i) {
      const int64_t start = ranges[i].FileOffset.QuadPart;
      if (dataLost(covered, start)) return true;
      covered = std::max(covered, start + ranges[i].Length.QuadPart);
    }
  }
  return dataLost(covered, copied);
}

bool SourceUnchanged(HANDLE source, const SourceState& atStart, int64_t copied) {
  SetLastError(NO_ERROR);
  const int64_t now = GetFileSize64(source);
  if (GetLastError() != NO_ERROR) return true;
  if (now < copied) {
    ReportSourceShrank(atStart.Size, now, copied);
    return false;
  }
  if (now > copied) {
    ReportSourceChanged(false, copied, now);
    return false;
  }
  // A source that grew while it was read, and was read to its new end, has
  // a new time for its new bytes.
  FILETIME lastWrite;
  if (now != atStart.Size || !atStart.TimeKnown ||
      !FilePlatform.GetFileTime(source, nullptr, nullptr, &lastWrite) ||
      SameTime(lastWrite, atStart.LastWrite))
    return true;
  ReportSourceChanged(true, copied, now);
  return false;
}

bool DestinationUnchanged(HANDLE source, HANDLE dest, const std::wstring& sourcePath,
                          const std::wstring& destPath, int64_t copied) {
  if (IsDeviceHandle(dest)) return true;  // its size is its capacity
  SetLastError(NO_ERROR);
  const int64_t now = GetFileSize64(dest);
  if (GetLastError() != NO_ERROR) return true;
  if (now != copied) {
    ReportDestinationChanged(copied, now);
    return false;
  }
  std::string sourceAnsi;
  std::string destAnsi;
  if (copied == 0 || !PathToAnsi(sourcePath, sourceAnsi) || !PathToAnsi(destPath, destAnsi))
    return true;
  const HANDLE reader = OpenReaderOf(destAnsi, dest);
  if (reader == INVALID_HANDLE_VALUE) return true;
  int64_t holeStart = 0;
  int64_t holeEnd = 0;
  const bool cut = HoleWithData(reader, sourceAnsi, source, copied, holeStart, holeEnd);
  FilePlatform.CloseHandle(reader);
  if (cut) ReportDestinationCut(holeStart, holeEnd);
  return !cut;
}

}  // namespace

SourceState SourceStateOf(HANDLE source) {
  SourceState state;
  state.Size = GetFileSize64(source);
  state.TimeKnown = FilePlatform.GetFileTime(source, nullptr, nullptr, &state.LastWrite) != FALSE;
  return state;
}

bool CopyStable(HANDLE source, HANDLE dest, const std::wstring& sourcePath,
                const std::wstring& destPath, const SourceState& atStart, int64_t copied) {
  return SourceUnchanged(source, atStart, copied) &&
         DestinationUnchanged(source, dest, sourcePath, destPath, copied);
}

}  // namespace modFileIO
