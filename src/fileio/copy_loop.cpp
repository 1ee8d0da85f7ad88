// The block copy loop: full blocks through the unbuffered destination handle,
// the short tail through a buffered handle of its own, the progress box
// refreshed every hundred blocks, and an ending that is only "completed" once
// the copy is on the disk.
#include "console/Con.h"
#include "fileio/copy_messages.h"
#include "fileio/file_identity.h"
#include "fileio/modFileIO.h"
#include "platform/textconv.h"

namespace modFileIO {
namespace {

const int32_t BlocksPerRefresh = 100;

// State of the running CopyBlocks call; set at its entry.
HANDLE Source = INVALID_HANDLE_VALUE;
HANDLE Dest = INVALID_HANDLE_VALUE;
std::string DestAnsi;
bool DestAnsiUsable = false;
void* Buffer = nullptr;
DWORD BlockBytes = 0;
int64_t StartOffset = 0;
int64_t SourceSize = 0;
int64_t TotalBytes = 0;
int32_t BlocksSinceRefresh = 0;
SYSTEMTIME StartTime;
int16_t BoxTopRow = 0;
int16_t BoxLeftCol = 0;

int16_t RowUnderBox() { return RowUnderProgress(); }

bool NothingWrittenYet() { return TotalBytes == StartOffset; }

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void Refresh() {
  RefreshProgress(BoxTopRow, BoxLeftCol, StartOffset, SourceSize, TotalBytes, StartTime);
  Con::SetForeColor(Con::LightGreen);
  BlocksSinceRefresh = 0;
  ProcessPendingMessages();
  Con::SetCursorRow(RowUnderBox());
}

// Writes the buffer's first `size` bytes; what was written counts, and a
// failure is reported.
bool WriteBuffer(HANDLE file, DWORD size, bool buffered) {
  const bool first = NothingWrittenYet();
  DWORD written = 0;
  const BOOL ok = WriteFile(file, Buffer, size, &written, nullptr);
  const DWORD error = GetLastError();
  TotalBytes += written;
  if (!ok)
    ReportWriteFailure(buffered, error, first, static_cast<int32_t>(BlockBytes), StartOffset,
                       TotalBytes);
  return ok != FALSE;
}

bool WriteFullBlock() {
  // After a failed write every later block would land too early: the copy
  // stops with the destination holding exactly what precedes this block,
  // ready for /R.
  if (!WriteBuffer(Dest, BlockBytes, false)) return false;
  if (++BlocksSinceRefresh == BlocksPerRefresh) Refresh();
  return true;
}

// Writes the short block where the full blocks ended and makes it durable
// before the tail handle goes away. On a file nobody else touches that is the
// file's end; on a disk the end is the disk's, far beyond.
bool AppendTail(HANDLE tail, DWORD size) {
  if (!SetFilePointer64(tail, TotalBytes, FILE_BEGIN)) {
    // Written where the handle stands, at the start, it would overwrite the copy.
    ReportTailSeekFailure(GetLastError(), size);
    return false;
  }
  if (!WriteBuffer(tail, size, true)) return false;
  if (!FlushFileBuffers(tail)) {
    ReportFlushFailure(GetLastError());
    return false;
  }
  return true;
}

// The tail handle is opened by path, so it must still reach the file the copy
// has open: a destination renamed or deleted meanwhile would get its tail in a
// new file at the old path. Opening only what exists creates no such file.
HANDLE OpenTail(DWORD size) {
  const HANDLE tail =
      DestAnsiUsable ? CreateFileA(DestAnsi.c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr)
                     : INVALID_HANDLE_VALUE;
  if (tail == INVALID_HANDLE_VALUE) {
    const DWORD error = DestAnsiUsable ? GetLastError() : ERROR_NO_UNICODE_TRANSLATION;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      ReportDestinationMoved(size);
    else
      ReportTailOpenFailure(error, size);
    return INVALID_HANDLE_VALUE;
  }
  if (SameFileHandles(tail, Dest)) return tail;
  CloseHandle(tail);
  ReportDestinationMoved(size);
  return INVALID_HANDLE_VALUE;
}

bool WriteShortBlock(DWORD size) {
  const HANDLE tail = OpenTail(size);
  if (tail == INVALID_HANDLE_VALUE) return false;
  const bool appended = AppendTail(tail, size);
  CloseHandle(tail);
  return appended;
}

// A source cut short while it was read (another program truncating it) left
// the destination longer than the source now is: that is no copy of it.
bool SourceKeptItsLength() {
  SetLastError(NO_ERROR);
  const int64_t now = GetFileSize64(Source);
  if (GetLastError() != NO_ERROR || now >= TotalBytes) return true;
  ReportSourceShrank(SourceSize, now, TotalBytes);
  return false;
}

// A resumed copy whose destination already holds the whole source: nothing
// is read (the source was not even positioned).
bool AlreadyComplete() { return StartOffset > 0 && StartOffset >= SourceSize; }

// The passes of the loop. True when they ended in order (end of the source
// or a break), false after a failure that has been reported.
bool CopyPasses() {
  if (AlreadyComplete()) return true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(Source, Buffer, BlockBytes, &got, nullptr)) {
      ReportReadFailure(GetLastError(), NothingWrittenYet(), static_cast<int32_t>(BlockBytes),
                        StartOffset, TotalBytes);
      return false;
    }
    if (got == 0) return true;
    // A short block is the end of the source as this copy sees it. Nothing is
    // read after it: a source still growing could deliver another full block,
    // and the unbuffered handle, which never wrote the short block, would put
    // that block over it.
    if (got < BlockBytes) return WriteShortBlock(got);
    if (!WriteFullBlock()) return false;
    if (Con::BreakPressed()) return true;
  }
}

bool FlushDestination() {
  if (FlushFileBuffers(Dest)) return true;
  ReportFlushFailure(GetLastError());
  return false;
}

CopyOutcome BreakEnding() {
  Con::SetCursorRow(RowUnderBox());
  Con::SetForeColor(Con::LightMagenta);
  EngineLine(L"[BREAK] User halt.");
  Con::SetForeColor(Con::LightGreen);
  // A later /R continues from the destination's size: make that data real.
  if (!FlushDestination()) return CopyFailed;
  ReportBreak(TotalBytes);
  return CopyStopped;
}

// Backup tools compare sizes and times: a copy stamped with the time it was
// made would be taken for a changed file and copied again.
void KeepSourceTime() {
  FILETIME lastWrite;
  if (GetFileTime(Source, nullptr, nullptr, &lastWrite) &&
      SetFileTime(Dest, nullptr, nullptr, &lastWrite))
    return;
  ReportTimeNotKept(GetLastError());
}

CopyOutcome CompletedEnding(const std::wstring& destPath) {
  if (!FlushDestination()) return CopyFailed;
  Con::SetForeColor(Con::LightCyan);
  EngineLine(L"File copy completed!");
  EngineLine(destPath + L" written");
  PrintSummary(StartOffset, TotalBytes);
  Con::SetForeColor(Con::LightGreen);
  KeepSourceTime();
  return CopyCompleted;
}

void Begin(HANDLE source, HANDLE dest, const std::wstring& sourcePath,
           const std::wstring& destPath, int64_t startOffset) {
  Source = source;
  Dest = dest;
  DestAnsiUsable = PathToAnsi(destPath, DestAnsi);
  SetCopyPaths(sourcePath, destPath);
  StartOffset = startOffset;
  SourceSize = GetFileSize64(source);
  TotalBytes = startOffset;
  BlocksSinceRefresh = 0;
  CurrentLocalTime(StartTime);
  BoxLeftCol = Con::GetCursorCol();
  BoxTopRow = Con::GetCursorRow();
  PaintProgress(BoxTopRow, BoxLeftCol, sourcePath, destPath, StartOffset, SourceSize, StartTime);
}

}  // namespace

CopyOutcome CopyBlocks(HANDLE source, HANDLE dest, const std::wstring& sourcePath,
                       const std::wstring& destPath, int64_t startOffset) {
  const int32_t blockBytes = BufferBytes;
  if (blockBytes <= 0) {
    ReportBadBlockSize(blockBytes);
    return CopyFailed;
  }
  // Page-aligned, as unbuffered transfers need; one buffer for the whole copy.
  Buffer = VirtualAlloc(nullptr, static_cast<SIZE_T>(blockBytes), MEM_COMMIT | MEM_RESERVE,
                        PAGE_READWRITE);
  if (Buffer == nullptr) {
    ReportBufferFailure(blockBytes, GetLastError());
    return CopyFailed;
  }
  BlockBytes = static_cast<DWORD>(blockBytes);
  Begin(source, dest, sourcePath, destPath, startOffset);
  CopyOutcome outcome = CopyFailed;
  if (!CopyPasses())
    FlushFileBuffers(Dest);  // keep what was written for /R; the failure is already told
  else if (Con::BreakPressed())
    outcome = BreakEnding();
  else if (SourceKeptItsLength())
    outcome = CompletedEnding(destPath);
  VirtualFree(Buffer, 0, MEM_RELEASE);
  Buffer = nullptr;
  return outcome;
}

}  // namespace modFileIO
