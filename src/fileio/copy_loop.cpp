// The block copy loop: full blocks through the unbuffered destination handle,
// the short tail through a buffered handle of its own, the progress box
// refreshed every hundred blocks, and an ending that is only "completed" once
// the copy is on the disk.
#include <algorithm>

#include "console/Con.h"
#include "fileio/copy_checks.h"
#include "fileio/copy_messages.h"
#include "fileio/file_calls.h"
#include "fileio/file_identity.h"
#include "fileio/modFileIO.h"
#include "platform/textconv.h"

namespace modFileIO {
namespace {

const int32_t BlocksPerRefresh = 100;

// The running CopyBlocks call, reset at its entry.
struct RunningCopy {
  HANDLE Source = INVALID_HANDLE_VALUE;
  HANDLE Dest = INVALID_HANDLE_VALUE;
  std::string DestAnsi;
  bool DestAnsiUsable = false;
  void* Buffer = nullptr;
  DWORD BlockBytes = 0;
  int64_t StartOffset = 0;
  int64_t SourceSize = 0;
  SourceState AtStart;
  int64_t TotalBytes = 0;
  int32_t BlocksSinceRefresh = 0;
  SYSTEMTIME StartTime{};
  int16_t BoxTopRow = 0;
  int16_t BoxLeftCol = 0;
};
RunningCopy Copy;

bool NothingWrittenYet() { return Copy.TotalBytes == Copy.StartOffset; }

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void Refresh() {
  RefreshProgress(Copy.StartOffset, Copy.SourceSize, Copy.TotalBytes, Copy.StartTime);
  Con::SetForeColor(Con::LightGreen);
  Copy.BlocksSinceRefresh = 0;
  ProcessPendingMessages();
  Con::SetCursorRow(RowUnderProgress());
}

// Writes the buffer's first `size` bytes; what was written counts, and a
// failure is reported.
bool WriteBuffer(HANDLE file, DWORD size, bool buffered) {
  const bool first = NothingWrittenYet();
  DWORD written = 0;
  const BOOL ok = FilePlatform.WriteFile(file, Copy.Buffer, size, &written, nullptr);
  const DWORD error = GetLastError();
  Copy.TotalBytes += written;
  if (!ok)
    ReportWriteFailure(buffered, error, first, static_cast<int32_t>(Copy.BlockBytes),
                       Copy.StartOffset, Copy.TotalBytes);
  return ok != FALSE;
}

bool WriteFullBlock() {
  // After a failed write every later block would land too early: the copy
  // stops with the destination holding exactly what precedes this block,
  // ready for /R.
  if (!WriteBuffer(Copy.Dest, Copy.BlockBytes, false)) return false;
  if (++Copy.BlocksSinceRefresh == BlocksPerRefresh) Refresh();
  return true;
}

// Writes the short block where the full blocks ended and makes it durable
// before the tail handle goes away. On a file nobody else touches that is the
// file's end; on a disk the end is the disk's, far beyond.
bool AppendTail(HANDLE tail, DWORD size) {
  if (!SetFilePointer64(tail, Copy.TotalBytes, FILE_BEGIN)) {
    // Written where the handle stands, at the start, it would overwrite the copy.
    ReportTailSeekFailure(GetLastError(), size);
    return false;
  }
  if (!WriteBuffer(tail, size, true)) return false;
  if (!FilePlatform.FlushFileBuffers(tail)) {
    ReportFlushFailure(GetLastError());
    return false;
  }
  return true;
}

// The tail handle is opened by path, so it must still reach the file the copy
// has open: a destination renamed or deleted meanwhile would get its tail in a
// new file at the old path. Opening only what exists creates no such file.
HANDLE OpenTail(DWORD size) {
  const HANDLE tail = Copy.DestAnsiUsable
                          ? FilePlatform.CreateFileA(Copy.DestAnsi.c_str(), GENERIC_WRITE,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                          : INVALID_HANDLE_VALUE;
  if (tail == INVALID_HANDLE_VALUE) {
    const DWORD error = Copy.DestAnsiUsable ? GetLastError() : ERROR_NO_UNICODE_TRANSLATION;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      ReportDestinationMoved(size);
    else
      ReportTailOpenFailure(error, size);
    return INVALID_HANDLE_VALUE;
  }
  if (SameFileHandles(tail, Copy.Dest)) return tail;
  FilePlatform.CloseHandle(tail);
  ReportDestinationMoved(size);
  return INVALID_HANDLE_VALUE;
}

bool WriteShortBlock(DWORD size) {
  const HANDLE tail = OpenTail(size);
  if (tail == INVALID_HANDLE_VALUE) return false;
  const bool appended = AppendTail(tail, size);
  FilePlatform.CloseHandle(tail);
  return appended;
}

// A disk file reads short only at its end; a read cut short before it (a
// file system that delivers what came before a failed request) must not be
// written as the tail. The end is measured against the smaller of the size at
// the start and the size now: a source that grows after the read is at its
// end all the same, and one that shrank is told so after the loop.
bool EndsTheSource(DWORD got) {
  SetLastError(NO_ERROR);
  const int64_t now = GetFileSize64(Copy.Source);
  if (GetLastError() != NO_ERROR) return true;
  const int64_t end = Copy.TotalBytes + got;
  if (end >= std::min(now, Copy.SourceSize)) return true;
  ReportShortRead(got, Copy.BlockBytes, Copy.TotalBytes, now);
  return false;
}

// A resumed copy whose destination already holds the whole source: nothing
// is read (the source was not even positioned).
bool AlreadyComplete() { return Copy.StartOffset > 0 && Copy.StartOffset >= Copy.SourceSize; }

// The passes of the loop. True when they ended in order (end of the source
// or a break), false after a failure that has been reported.
bool CopyPasses() {
  if (AlreadyComplete()) return true;
  for (;;) {
    DWORD got = 0;
    if (!FilePlatform.ReadFile(Copy.Source, Copy.Buffer, Copy.BlockBytes, &got, nullptr)) {
      ReportReadFailure(GetLastError(), NothingWrittenYet(), static_cast<int32_t>(Copy.BlockBytes),
                        Copy.StartOffset, Copy.TotalBytes);
      return false;
    }
    if (got < Copy.BlockBytes && !EndsTheSource(got)) return false;
    if (got == 0) return true;
    // A short block is the end of the source as this copy sees it. Nothing is
    // read after it: a source still growing could deliver another full block,
    // and the unbuffered handle, which never wrote the short block, would put
    // that block over it.
    if (got < Copy.BlockBytes) return WriteShortBlock(got);
    if (!WriteFullBlock()) return false;
    if (Con::BreakPressed()) return true;
  }
}

bool FlushDestination() {
  if (FilePlatform.FlushFileBuffers(Copy.Dest)) return true;
  ReportFlushFailure(GetLastError());
  return false;
}

CopyOutcome BreakEnding() {
  Con::SetCursorRow(RowUnderProgress());
  Con::SetForeColor(Con::LightMagenta);
  EngineLine(L"[BREAK] User halt.");
  Con::SetForeColor(Con::LightGreen);
  // A later /R continues from the destination's size: make that data real.
  if (!FlushDestination()) return CopyFailed;
  ReportBreak(Copy.TotalBytes);
  return CopyStopped;
}

// Backup tools compare sizes and times: a copy stamped with the time it was
// made would be taken for a changed file and copied again. Set before the
// final flush, so that the date is as durable as the bytes it vouches for.
void KeepSourceTime() {
  FILETIME lastWrite;
  if (FilePlatform.GetFileTime(Copy.Source, nullptr, nullptr, &lastWrite) &&
      FilePlatform.SetFileTime(Copy.Dest, nullptr, nullptr, &lastWrite))
    return;
  ReportTimeNotKept(GetLastError());
}

CopyOutcome CompletedEnding(const std::wstring& destPath) {
  KeepSourceTime();
  if (!FlushDestination()) return CopyFailed;
  Con::SetForeColor(Con::LightCyan);
  EngineLine(L"File copy completed!");
  EngineLine(destPath + L" written");
  PrintSummary(Copy.StartOffset, Copy.TotalBytes);
  Con::SetForeColor(Con::LightGreen);
  return CopyCompleted;
}

void Begin(HANDLE source, HANDLE dest, const std::wstring& sourcePath,
           const std::wstring& destPath, int64_t startOffset) {
  Copy.Source = source;
  Copy.Dest = dest;
  Copy.DestAnsiUsable = PathToAnsi(destPath, Copy.DestAnsi);
  SetCopyPaths(sourcePath, destPath);
  Copy.StartOffset = startOffset;
  Copy.SourceSize = GetFileSize64(source);
  Copy.AtStart = SourceStateOf(source);
  Copy.TotalBytes = startOffset;
  CurrentLocalTime(Copy.StartTime);
  Copy.BoxLeftCol = Con::GetCursorCol();
  Copy.BoxTopRow = Con::GetCursorRow();
  PaintProgress(Copy.BoxTopRow, Copy.BoxLeftCol, sourcePath, destPath, Copy.StartOffset,
                Copy.SourceSize, Copy.StartTime);
}

}  // namespace

CopyOutcome CopyBlocks(HANDLE source, HANDLE dest, const std::wstring& sourcePath,
                       const std::wstring& destPath, int64_t startOffset) {
  const int32_t blockBytes = BufferBytes;
  if (blockBytes <= 0) {
    ReportBadBlockSize(blockBytes);
    return CopyFailed;
  }
  Copy = RunningCopy();
  // Page-aligned, as unbuffered transfers need; one buffer for the whole copy,
  // the one the job reserved before it opened the destination if it did.
  Copy.Buffer = TakeBlockBuffer();
  if (Copy.Buffer == nullptr)
    Copy.Buffer = FilePlatform.VirtualAlloc(nullptr, static_cast<SIZE_T>(blockBytes),
                                            MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (Copy.Buffer == nullptr) {
    ReportBufferFailure(blockBytes, GetLastError());
    return CopyFailed;
  }
  Copy.BlockBytes = static_cast<DWORD>(blockBytes);
  Begin(source, dest, sourcePath, destPath, startOffset);
  CopyOutcome outcome = CopyFailed;
  if (!CopyPasses())
    FilePlatform.FlushFileBuffers(
        Copy.Dest);  // keep what was written for /R; the failure is already told
  else if (Con::BreakPressed())
    outcome = BreakEnding();
  else if (CopyStable(Copy.Source, Copy.Dest, sourcePath, destPath, Copy.AtStart, Copy.TotalBytes))
    outcome = CompletedEnding(destPath);
  FilePlatform.VirtualFree(Copy.Buffer, 0, MEM_RELEASE);
  Copy.Buffer = nullptr;
  return outcome;
}

}  // namespace modFileIO
