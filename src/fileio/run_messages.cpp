// What the user is told when the block loop fails, stops or ends with a
// warning. A failure leaves the destination with the whole blocks before it,
// which /R continues once the cause is gone.
#include "fileio/message_text.h"
#include "fileio/messages.h"

namespace modFileIO {
namespace {

bool DiskFull(DWORD error) {
  const DWORD HandleDiskFull = 39;       // ERROR_HANDLE_DISK_FULL
  const DWORD DiskQuotaExceeded = 1295;  // ERROR_DISK_QUOTA_EXCEEDED
  return error == ERROR_DISK_FULL || error == HandleDiskFull || error == DiskQuotaExceeded;
}

// A write refused for the file's size (error 223): the limit set for this
// process, which /R can pass once it is raised, or the file system's largest
// file, which no /R passes. `wanted` is the size the write would have made;
// `fileSystem` names the destination's file system, empty when unknown.
std::wstring FileTooLarge(int64_t wanted, int64_t processLimit, const std::wstring& fileSystem,
                          const std::wstring& held) {
  if (processLimit >= 0 && wanted > processLimit)
    return L"The destination reached the limit on file sizes set for this program (ulimit -f, " +
           Grouped(processLimit) + L" bytes). " + held +
           L": raise the limit (ulimit -f unlimited), then " + ResumeAdvice;
  const bool fat = fileSystem == L"vfat" || fileSystem == L"msdos" ||
                   fileSystem == L"fuse.fusefat" || fileSystem == L"FAT32" || fileSystem == L"FAT";
  const std::wstring which = fileSystem.empty() ? L"" : L" (" + fileSystem + L")";
  return L"The destination reached the largest file its file system" + which + L" can hold" +
         (fat ? L": FAT holds files of up to 4 GiB less one byte. " : L". ") + held +
         L": /R can't take it further there. Copy to a disk whose file system holds larger "
         L"files (such as NTFS, exFAT or ext4), without /R.";
}

}  // namespace

void SayReadFailed(DWORD error, bool firstRead, int32_t blockBytes, int64_t startOffset,
                   int64_t totalBytes, DWORD sectorBytes) {
  EngineLine(L"ReadFile returned 0??");
  if (firstRead && error == ERROR_INVALID_PARAMETER) {
    EngineLine(SectorExplanation(L"read the source", blockBytes, startOffset, sectorBytes));
    return;
  }
  EngineLine(L"Reading the source failed with " + ErrorText(error) + L" after " +
             Grouped(totalBytes) + L" bytes; the copy is incomplete. Check the source, then " +
             ResumeAdvice);
}

void SayShortRead(DWORD got, DWORD blockBytes, int64_t totalBytes, int64_t sourceSize) {
  EngineLine(L"ReadFile returned " + Grouped(got) + L" of " + Grouped(blockBytes) +
             L" bytes before the end of the source");
  EngineLine(L"The read at byte " + Grouped(totalBytes) + L" stopped short, while the source has " +
             Grouped(sourceSize) +
             L" bytes: its disk or file system failed to read the rest (a bad sector, an I/O "
             L"error). The copy stopped with the first " + Grouped(totalBytes) +
             L" bytes in the destination, in whole blocks. Check the source's disk, then " +
             ResumeAdvice);
}

void SayWriteFailed(bool tail, DWORD error, bool firstWrite, int32_t blockBytes,
                    int64_t startOffset, int64_t totalBytes, DWORD sectorBytes,
                    int64_t processLimit, const std::wstring& fileSystem) {
  EngineLine(std::wstring(tail ? L"buffered " : L"") +
             L"Write file returned 0, getlasterror is " + Number(error));
  if (firstWrite && !tail && error == ERROR_INVALID_PARAMETER) {
    EngineLine(SectorExplanation(L"write the destination", blockBytes, startOffset, sectorBytes));
    return;
  }
  const std::wstring held = L"The copy stopped with the first " + Grouped(totalBytes) +
                            L" bytes in the destination";
  if (DiskFull(error))
    EngineLine(L"The destination disk is full. " + held + L": make room, then " + ResumeAdvice);
  else if (error == ERROR_FILE_TOO_LARGE)
    EngineLine(FileTooLarge(totalBytes + blockBytes, processLimit, fileSystem, held));
  else if (error == ERROR_WRITE_PROTECT)
    EngineLine(L"The destination disk is write-protected (read-only). " + held +
               L": make it writable, then " + ResumeAdvice);
  else
    EngineLine(held + L". Once the cause is fixed, " + ResumeAdvice);
}

void SayTailOpenFailed(DWORD error, DWORD tailBytes) {
  EngineLine(L"Could not open buffered destination file");
  EngineLine(L"The last " + Grouped(tailBytes) + L" bytes of the source were not written (" +
             ErrorText(error) + L"). Once the destination can be opened, " + ResumeAdvice);
}

void SayTailSeekFailed(DWORD error, DWORD tailBytes) {
  EngineLine(L"Could not move to the end of the destination file, getlasterror is " +
             Number(error));
  EngineLine(L"The last " + Grouped(tailBytes) + L" bytes of the source were not written; " +
             ResumeAdvice);
}

void SayFlushFailed(DWORD error) {
  EngineLine(L"Could not flush the destination file to disk, getlasterror is " + Number(error));
  EngineLine(L"What was written may not all be on the disk. Check the destination disk, then " +
             std::wstring(StartOverAdvice));
}

void SayDestinationMoved(DWORD tailBytes) {
  EngineLine(L"The destination was moved or deleted during the copy");
  if (tailBytes > 0)
    EngineLine(L"Its path no longer names the file being written, so the last " +
               Grouped(tailBytes) + L" bytes of the source were not written, and the file "
               L"wherever it went is incomplete. " + StartOverSentence());
  else
    EngineLine(L"Its path no longer names the file that was written: the copy went wherever "
               L"the file went, and nothing at the path is a copy of the source. " +
               StartOverSentence());
}

void SayBreak(int64_t totalBytes) {
  EngineLine(L"The destination holds the first " + Grouped(totalBytes) +
             L" bytes of the source, in whole blocks. The same command with /R continues the "
             L"copy from there.");
}

void SayTimeNotKept(DWORD error) {
  EngineLine(L"The destination could not be given the source's last-write time (" +
             ErrorText(error) +
             L"); its bytes are complete, but a backup tool that compares times may copy it "
             L"again.");
}

}  // namespace modFileIO
