// The verify pass: the source and the copy read back from the start, both
// unbuffered so that the destination's bytes come from its disk and not from
// the cache that still holds what was written, in blocks of the copy's size,
// and compared. It finds what no end check can: a disk or a file system that
// stored other bytes than it was given.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "console/Con.h"
#include "fileio/copy_job.h"
#include "fileio/file_calls.h"

namespace modFileIO {
namespace {

Finding Unreadable(bool source, int64_t at, DWORD error) {
  Finding found = FindingOf(Found::VerifyUnreadable, source);
  found.Error = error;
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

// Compares `size` bytes of the source at `at` against what the copy gave.
Finding CompareChunk(const CopyJob& job, const char* source, const char* copy, DWORD copyGot,
                     int64_t at, DWORD size) {
  const DWORD common = std::min(copyGot, size);
  // memcmp runs at memory speed; the byte is looked for only once it differs.
  if (std::memcmp(source, copy, common) != 0) {
    const auto differ = std::mismatch(source, source + common, copy);
    return Differs(job, at + (differ.first - source));
  }
  return common < size ? Differs(job, at + common) : Finding();
}

// One file read back: a chunk of whole blocks at a time, so that on one disk
// the reads switch between the two files every few megabytes rather than
// every block.
struct Stream {
  HANDLE File = INVALID_HANDLE_VALUE;
  char* Buffer = nullptr;
  DWORD BlockBytes = 0;
  DWORD Got = 0;
  bool Ok = true;
  DWORD Error = NO_ERROR;
};

// Reads blocks into the stream's buffer until `size` bytes came or the file
// ended.
void ReadChunk(Stream& stream, DWORD size) {
  stream.Got = 0;
  stream.Ok = true;
  while (stream.Ok && stream.Got < size) {
    DWORD got = 0;
    stream.Ok = FilePlatform.ReadFile(stream.File, stream.Buffer + stream.Got, stream.BlockBytes,
                                      &got, nullptr) != FALSE;
    stream.Error = GetLastError();
    stream.Got += got;
    if (got < stream.BlockBytes) break;
  }
}

// The copy is read by a thread of its own while this one reads the source,
// so that both reads are in flight at once: after each comparison the next
// chunk of the copy is asked for, and waited for only to compare it. Where
// no thread can be had, it is read here, after the source's.
struct CopyReader {
  Stream Copy;
  DWORD Size = 0;  // of the chunk asked for
  HANDLE Thread = nullptr;
  std::atomic<int64_t> Asked{0};  // chunks asked for; StopReading ends the thread
  std::atomic<int64_t> Read{0};   // chunks read, or failed
};
const int64_t StopReading = -1;

DWORD WINAPI ReadCopyChunks(LPVOID context) {
  CopyReader& reader = *static_cast<CopyReader*>(context);
  for (int64_t chunk = 1;; ++chunk) {
    int64_t asked = 0;
    while ((asked = reader.Asked.load()) != StopReading && asked < chunk) Sleep(0);
    if (asked == StopReading) return 0;
    ReadChunk(reader.Copy, reader.Size);
    reader.Read.store(chunk);
  }
}

void AskForChunk(CopyReader& reader, int64_t chunk, DWORD size) {
  reader.Size = size;
  if (reader.Thread != nullptr) reader.Asked.store(chunk);
}

// The copy's chunk `chunk`, once read; false, with the last error set, when
// a read failed.
bool TakeChunk(CopyReader& reader, int64_t chunk) {
  if (reader.Thread == nullptr)
    ReadChunk(reader.Copy, reader.Size);
  else
    while (reader.Read.load() < chunk) Sleep(0);
  SetLastError(reader.Copy.Error);
  return reader.Copy.Ok;
}

LoopEnd ComparePasses(CopyJob& job, Stream& source, CopyReader& reader, DWORD chunkBytes,
                      Finding& found) {
  BeginVerifyProgress(job.TotalBytes);
  int64_t chunk = 1;
  AskForChunk(reader, chunk, static_cast<DWORD>(std::min<int64_t>(chunkBytes, job.TotalBytes)));
  for (int64_t at = 0; at < job.TotalBytes; ++chunk) {
    const DWORD size = reader.Size;
    ReadChunk(source, size);
    if (!source.Ok)
      found = Unreadable(true, at + source.Got, source.Error);
    else if (!TakeChunk(reader, chunk))
      found = Unreadable(false, at + reader.Copy.Got, reader.Copy.Error);
    else if (source.Got < size)  // the end checks found it as long as the copy just before
      found = Shrank(job, at + source.Got);
    else
      found = CompareChunk(job, source.Buffer, reader.Copy.Buffer, reader.Copy.Got, at, size);
    if (!None(found)) return LoopEnd::Failed;
    at += size;
    if (at < job.TotalBytes)
      AskForChunk(reader, chunk + 1,
                  static_cast<DWORD>(std::min<int64_t>(chunkBytes, job.TotalBytes - at)));
    RefreshVerifyProgress(at);
    if (Con::BreakPressed()) return LoopEnd::Stopped;
  }
  return LoopEnd::ReachedEnd;
}

// Whole blocks, at least this much, unless a block alone is more.
const DWORD ChunkFloor = 2 * 1024 * 1024;

char* Allocate(DWORD bytes) {
  return static_cast<char*>(
      FilePlatform.VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

}  // namespace

// Two chunks of whole blocks, each the larger of one block and 2 MiB: with
// the job's own block, at most two blocks and 4 MiB are held. The copy is
// read through a reader checked to reach the file written.
LoopEnd VerifyCopy(CopyJob& job, Finding& found) {
  if (!SetFilePointer64(job.Source, 0, FILE_BEGIN)) {
    found = Unreadable(true, 0, GetLastError());
    return LoopEnd::Failed;
  }
  const DWORD chunkBytes = std::max(job.BlockBytes, ChunkFloor / job.BlockBytes * job.BlockBytes);
  Stream source{job.Source, nullptr, job.BlockBytes};
  CopyReader reader;
  reader.Copy.BlockBytes = job.BlockBytes;
  reader.Copy.File = OpenReaderOf(job.DestAnsi, job.DestFacts, FILE_FLAG_NO_BUFFERING);
  if (reader.Copy.File == INVALID_HANDLE_VALUE) {
    found = Unreadable(false, 0, GetLastError());
    return LoopEnd::Failed;
  }
  // The job's buffer is a block; a chunk of blocks needs its own.
  source.Buffer = chunkBytes == job.BlockBytes ? job.Buffer : Allocate(chunkBytes);
  reader.Copy.Buffer = Allocate(chunkBytes);
  LoopEnd end = LoopEnd::Failed;
  if (source.Buffer == nullptr || reader.Copy.Buffer == nullptr) {
    found = FailedCall(Found::BufferRefused);
    found.Count = chunkBytes;
  } else {
    reader.Thread = CreateThread(nullptr, 0, ReadCopyChunks, &reader, 0, nullptr);
    end = ComparePasses(job, source, reader, chunkBytes, found);
    if (reader.Thread != nullptr) {
      reader.Asked.store(StopReading);
      WaitForSingleObject(reader.Thread, INFINITE);
      CloseHandle(reader.Thread);
    }
  }
  for (char* buffer : {source.Buffer == job.Buffer ? nullptr : source.Buffer, reader.Copy.Buffer})
    if (buffer != nullptr) FilePlatform.VirtualFree(buffer, 0, MEM_RELEASE);
  FilePlatform.CloseHandle(reader.Copy.File);
  Con::SetForeColor(Con::LightGreen);
  Con::SetCursorRow(RowUnderProgress());
  return end;
}

}  // namespace modFileIO
