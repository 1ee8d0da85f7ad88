// The block copy loop: full blocks through the unbuffered destination handle,
// the short tail through a buffered handle of its own, the progress box
// refreshed every hundred blocks, and an ending that is only "completed" once
// the copy is on the disk.
#include "console/Con.h"
#include "fileio/copy_messages.h"
#include "fileio/colours.h"
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
  Con::SetForeColor(LightGreen);
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

// Writes the short block at the end of the file and makes it durable before
// the tail handle goes away.
bool AppendTail(HANDLE tail, DWORD size) {
  LONG high = 0;
  SetLastError(NO_ERROR);
  if (SetFilePointer(tail, 0, &high, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR) {
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

bool WriteShortBlock(DWORD size) {
  const HANDLE tail =
      DestAnsiUsable ? CreateFileA(DestAnsi.c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr)
                     : INVALID_HANDLE_VALUE;
  if (tail == INVALID_HANDLE_VALUE) {
    ReportTailOpenFailure(DestAnsiUsable ? GetLastError() : ERROR_NO_UNICODE_TRANSLATION, size);
    return false;
  }
  const bool appended = AppendTail(tail, size);
  CloseHandle(tail);
  return appended;
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
  Con::SetForeColor(LightMagenta);
  EngineLine(L"[BREAK] User halt.");
  Con::SetForeColor(LightGreen);
  // A later /R continues from the destination's size: make that data real.
  return FlushDestination() ? CopyStopped : CopyFailed;
}

CopyOutcome CompletedEnding(const std::wstring& destPath) {
  if (!FlushDestination()) return CopyFailed;
  Con::SetForeColor(LightCyan);
  EngineLine(L"File copy completed!");
  EngineLine(destPath + L" written");
  PrintSummary(StartOffset, TotalBytes);
  Con::SetForeColor(LightGreen);
  return CopyCompleted;
}

void Begin(HANDLE source, HANDLE dest, const std::wstring& sourcePath,
           const std::wstring& destPath, int64_t startOffset) {
  Source = source;
  Dest = dest;
  DestAnsiUsable = PathToAnsi(destPath, DestAnsi);
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
  else
    outcome = CompletedEnding(destPath);
  VirtualFree(Buffer, 0, MEM_RELEASE);
  Buffer = nullptr;
  return outcome;
}

}  // namespace modFileIO
