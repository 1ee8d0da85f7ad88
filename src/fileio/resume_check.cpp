// The resume check. A resumed copy trusts that the destination is the start
// of this very source; when it is another file, or the source has changed
// since the copy began, appending would make a file that matches neither,
// and would do so silently. The source must not have been written since the
// destination was, and the last block before the resume point and a few
// pieces spread over the rest, the first included, must be the source's: a
// changed source, another file of the same kind or a file of zeros shows in
// them, for a few extra reads of each file.
#include <algorithm>
#include <cstring>

#include "fileio/copy_messages.h"
#include "fileio/file_calls.h"
#include "fileio/file_identity.h"
#include "fileio/modFileIO.h"
#include "fileio/resume_check.h"
#include "platform/textconv.h"

namespace modFileIO {
namespace {

// The destination is read through the cache in pieces, so that the check
// holds no more than one block of the source in memory.
const DWORD PieceBytes = 64 * 1024;

enum Comparison { Same, Different, Unreadable };

// The compared part starts and ends on whole sectors of the smallest size, so
// that the source's unbuffered read keeps the sector rule wherever the resume
// offset itself does.
DWORD WindowBytes(int64_t startOffset) {
  const int64_t block = std::min<int64_t>(BufferBytes, startOffset);
  const int64_t whole = block - block % SmallestSectorBytes;
  return static_cast<DWORD>(whole > 0 ? whole
                                      : std::min<int64_t>(SmallestSectorBytes, startOffset));
}

// Reads the source's `size` bytes before `startOffset`. A source that ends
// early has changed since it was measured: it is reported as different.
Comparison ReadSourceWindow(HANDLE source, void* buffer, DWORD size, int64_t startOffset) {
  if (!SetFilePointer64(source, startOffset - size, FILE_BEGIN)) {
    const DWORD error = GetLastError();
    EngineLine(L"Could not seek to offset in source file");
    ReportSeekFailure(error, startOffset);
    return Unreadable;
  }
  DWORD got = 0;
  if (!FilePlatform.ReadFile(source, buffer, size, &got, nullptr)) {
    ReportCheckReadFailure(GetLastError(), BufferBytes, startOffset);
    return Unreadable;
  }
  return got == size ? Same : Different;
}

// Compares the destination's bytes from the file position on with `expected`.
Comparison CompareFromPosition(HANDLE dest, const char* expected, DWORD size) {
  std::string piece(std::min(size, PieceBytes), '\0');
  for (DWORD done = 0; done < size;) {
    const DWORD wanted = std::min(size - done, PieceBytes);
    DWORD got = 0;
    if (!FilePlatform.ReadFile(dest, &piece[0], wanted, &got, nullptr)) {
      ReportResumeCheckFailure(GetLastError());
      return Unreadable;
    }
    if (got != wanted || std::memcmp(piece.data(), expected + done, wanted) != 0)
      return Different;
    done += wanted;
  }
  return Same;
}

// A buffered read-only handle on a file of the copy, opened by its path.
HANDLE OpenReader(const std::wstring& path) {
  std::string ansi;
  PathToAnsi(path, ansi);  // exact: the copy's own handle was opened by it
  return FilePlatform.CreateFileA(ansi.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Compares the destination's `size` bytes before `startOffset` with
// `expected`, through a buffered read-only handle: the copy's own handle on
// the destination may only write.
Comparison CompareDestWindow(const std::wstring& destPath, const char* expected, DWORD size,
                             int64_t startOffset) {
  const HANDLE dest = OpenReader(destPath);
  if (dest == INVALID_HANDLE_VALUE) {
    ReportResumeCheckFailure(GetLastError());
    return Unreadable;
  }
  Comparison result = Unreadable;
  if (SetFilePointer64(dest, startOffset - size, FILE_BEGIN))
    result = CompareFromPosition(dest, expected, size);
  else
    ReportResumeCheckFailure(GetLastError());
  FilePlatform.CloseHandle(dest);
  return result;
}

// File systems that keep even seconds (FAT) round a time up to 2 s.
const int64_t TimeSlackTicks = 2 * 10000000LL;
const int Samples = 8;
const DWORD SampleBytes = 64 * 1024;

int64_t Ticks(const FILETIME& time) {
  return static_cast<int64_t>(static_cast<uint64_t>(time.dwHighDateTime) << 32 |
                              time.dwLowDateTime);
}

// A source written after the destination's last write changed after the
// copy stopped; what was copied of it may no longer be its bytes, even where
// the compared pieces still agree. A finished copy carries its source's time.
Comparison CompareTimes(HANDLE source, const std::wstring& destPath) {
  const HANDLE dest = OpenReader(destPath);
  if (dest == INVALID_HANDLE_VALUE) {
    ReportResumeCheckFailure(GetLastError());
    return Unreadable;
  }
  FILETIME sourceTime;
  FILETIME destTime;
  const bool newer = FilePlatform.GetFileTime(source, nullptr, nullptr, &sourceTime) &&
                     FilePlatform.GetFileTime(dest, nullptr, nullptr, &destTime) &&
                     Ticks(sourceTime) > Ticks(destTime) + TimeSlackTicks;
  FilePlatform.CloseHandle(dest);
  if (newer) ReportSourceNewerThanCopy();
  return newer ? Different : Same;
}

// Compares the `size` bytes of both files that end at `end`.
Comparison CompareWindow(HANDLE source, const std::wstring& destPath, void* buffer, DWORD size,
                         int64_t end) {
  const Comparison result = ReadSourceWindow(source, buffer, size, end);
  return result == Same ? CompareDestWindow(destPath, static_cast<const char*>(buffer), size, end)
                        : result;
}

}  // namespace

bool ResumePointMatches(HANDLE sourceFile, const std::wstring& destPath, int64_t startOffset) {
  if (startOffset <= 0) return true;
  if (CompareTimes(sourceFile, destPath) != Same) return false;
  const DWORD size = WindowBytes(startOffset);
  // Page-aligned, as the unbuffered read needs.
  void* buffer = FilePlatform.VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (buffer == nullptr) {
    ReportBufferFailure(static_cast<int32_t>(size), GetLastError());
    return false;
  }
  // The pieces spread over the prefix first, whole sectors at whole multiples
  // of their size; the last block last, which leaves the source at the
  // resume point.
  const DWORD sample = std::min(size, SampleBytes);
  Comparison result = Same;
  int64_t end = 0;
  DWORD compared = sample;
  for (int i = 0; result == Same && i < Samples; ++i) {
    const int64_t at = startOffset / Samples * i / sample * sample;
    if (at + sample > startOffset - size) break;  // the last block covers the rest
    if (i > 0 && at + sample == end) continue;    // a short prefix: a piece already compared
    end = at + sample;
    result = CompareWindow(sourceFile, destPath, buffer, sample, end);
  }
  if (result == Same) {
    end = startOffset;
    compared = size;
    result = CompareWindow(sourceFile, destPath, buffer, size, end);
  }
  if (result == Different) ReportNotAPartialCopy(end - compared, compared);
  FilePlatform.VirtualFree(buffer, 0, MEM_RELEASE);
  return result == Same;
}

bool FinishedCopyMatches(HANDLE sourceFile, const std::wstring& sourcePath,
                         const std::wstring& destPath, int64_t size) {
  if (size <= 0) return true;
  const HANDLE reader = OpenReader(sourcePath);
  if (reader == INVALID_HANDLE_VALUE) {
    ReportSourceRecheckFailure(GetLastError());
    return false;
  }
  // The path might have come to name another file since the copy's own open.
  bool matches = false;
  if (SameFileHandles(reader, sourceFile))
    matches = ResumePointMatches(reader, destPath, size);
  else
    ReportSourceRecheckFailure(ERROR_FILE_NOT_FOUND);
  FilePlatform.CloseHandle(reader);
  return matches;
}

}  // namespace modFileIO
