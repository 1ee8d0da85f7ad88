// What the copy engine tells the user when something goes wrong.
#include "fileio/copy_messages.h"

#include "console/Con.h"

namespace modFileIO {
namespace {

void (*Listener)(const std::wstring&) = nullptr;

// The smallest sector of any disk; an offset or size that is no multiple of
// it can't be a whole number of sectors anywhere.
const int64_t SmallestSector = 512;

const wchar_t* const ResumeAdvice = L"run the same command with /R to finish the copy.";

std::wstring Number(int64_t value) { return std::to_wstring(value); }

std::wstring ErrorText(DWORD error) { return L"system error " + Number(error); }

bool DiskFull(DWORD error) {
  const DWORD HandleDiskFull = 39;       // ERROR_HANDLE_DISK_FULL
  const DWORD DiskQuotaExceeded = 1295;  // ERROR_DISK_QUOTA_EXCEEDED
  return error == ERROR_DISK_FULL || error == HandleDiskFull || error == DiskQuotaExceeded;
}

// The line after a transfer that the sector rule refused (error 87).
std::wstring SectorExplanation(const std::wstring& what, int32_t blockBytes, int64_t startOffset) {
  std::wstring text = L"The system refused to " + what + L" (error 87): ";
  if (startOffset % SmallestSector != 0)
    return text + L"the resume offset, " + Number(startOffset) +
           L" bytes, is not a whole number of the disk's sectors. Run the command without /R "
           L"to copy the whole file again.";
  if (blockBytes % SmallestSector != 0)
    text += L"the block size, " + Number(blockBytes) +
            L" bytes, is not a whole number of the disk's sectors.";
  else
    text += L"the block size (" + Number(blockBytes) + L" bytes) or the resume offset (" +
            Number(startOffset) + L" bytes) is not a whole number of the disk's sectors.";
  return text + L" Use a block size in K or M, such as 64K, and run the command again.";
}

}  // namespace

void EngineLine(const std::wstring& text) {
  Con::WriteText(text, true);
  if (Listener) Listener(text);
}

void SetEngineLineListener(void (*listener)(const std::wstring& line)) { Listener = listener; }

void ReportUnrepresentablePath(bool isSource) {
  const std::wstring which = isSource ? L"source" : L"destination";
  EngineLine(L"Could not open " + which + L" file");
  EngineLine(L"The " + which +
             L" path has characters that the system's code page can't represent; rename it or "
             L"use a path without them.");
}

void ReportSameFile() {
  EngineLine(L"Source and destination are the same file, so nothing was copied. Give a "
             L"different destination path.");
}

void ReportLongerDestination(int64_t destSize, int64_t sourceSize) {
  EngineLine(L"The destination (" + Number(destSize) + L" bytes) is longer than the source (" +
             Number(sourceSize) +
             L" bytes), so it is not a partial copy of it; nothing was changed. Check the "
             L"paths, or copy without /R to replace the destination.");
}

void ReportMeasureFailure(DWORD error) {
  EngineLine(L"Could not read the size of the source or the destination file (" +
             ErrorText(error) + L"); nothing was copied.");
}

void ReportSeekFailure(DWORD error, int64_t offset) {
  if (offset % SmallestSector != 0) {
    EngineLine(L"The destination's size, " + Number(offset) +
               L" bytes, is not a whole number of the disk's sectors, so the copy can't "
               L"continue from there (" + ErrorText(error) +
               L"). Run the command without /R to copy the whole file again.");
    return;
  }
  EngineLine(L"The move failed with " + ErrorText(error) +
             L"; nothing was copied. Check the files, then run the command again.");
}

void ReportBadBlockSize(int32_t blockBytes) {
  EngineLine(L"The block size, " + Number(blockBytes) +
             L" bytes, can't be used: it must be at least 1 byte. Nothing was copied.");
}

void ReportBufferFailure(int32_t blockBytes, DWORD error) {
  EngineLine(L"Could not allocate a block buffer of " + Number(blockBytes) + L" bytes (" +
             ErrorText(error) +
             L"). Use a smaller block size, such as 1M, and run the command again.");
}

void ReportReadFailure(DWORD error, bool firstRead, int32_t blockBytes, int64_t startOffset,
                       int64_t totalBytes) {
  EngineLine(L"ReadFile returned 0??");
  if (firstRead && error == ERROR_INVALID_PARAMETER) {
    EngineLine(SectorExplanation(L"read the source", blockBytes, startOffset));
    return;
  }
  EngineLine(L"Reading the source failed with " + ErrorText(error) + L" after " +
             Number(totalBytes) + L" bytes; the copy is incomplete. Check the source, then " +
             ResumeAdvice);
}

void ReportWriteFailure(bool buffered, DWORD error, bool firstWrite, int32_t blockBytes,
                        int64_t startOffset, int64_t totalBytes) {
  EngineLine(std::wstring(buffered ? L"buffered " : L"") +
             L"Write file returned 0, getlasterror is " + Number(error));
  if (firstWrite && !buffered && error == ERROR_INVALID_PARAMETER) {
    EngineLine(SectorExplanation(L"write the destination", blockBytes, startOffset));
    return;
  }
  const std::wstring held = L"The copy stopped with the first " + Number(totalBytes) +
                            L" bytes in the destination";
  if (DiskFull(error))
    EngineLine(L"The destination disk is full. " + held + L": make room, then " + ResumeAdvice);
  else
    EngineLine(held + L". Once the cause is fixed, " + ResumeAdvice);
}

void ReportTailOpenFailure(DWORD error, DWORD tailBytes) {
  EngineLine(L"Could not open buffered destination file");
  EngineLine(L"The last " + Number(tailBytes) + L" bytes of the source were not written (" +
             ErrorText(error) + L"). Once the destination can be opened, " + ResumeAdvice);
}

void ReportTailSeekFailure(DWORD error, DWORD tailBytes) {
  EngineLine(L"Could not move to the end of the destination file, getlasterror is " +
             Number(error));
  EngineLine(L"The last " + Number(tailBytes) + L" bytes of the source were not written; " +
             ResumeAdvice);
}

void ReportFlushFailure(DWORD error) {
  EngineLine(L"Could not flush the destination file to disk, getlasterror is " + Number(error));
  EngineLine(L"What was written may not all be on the disk. Check the destination disk, then "
             L"copy the file again without /R.");
}

}  // namespace modFileIO
