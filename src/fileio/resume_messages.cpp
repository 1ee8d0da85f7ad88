// What the user is told when a resumed copy can't go on from where the
// destination ends. Nothing was written in any of these cases.
#include "fileio/message_text.h"
#include "fileio/messages.h"

namespace modFileIO {

void SayResumeOntoDevice() {
  EngineLine(L"The destination is a device, so /R can't continue a copy onto it");
  EngineLine(L"A device's size is its capacity, not the bytes an interrupted copy wrote to it. "
             L"Nothing was written. " + StartOverSentence());
}

void SayLongerDestination(int64_t destSize, int64_t sourceSize) {
  EngineLine(L"The destination (" + Grouped(destSize) + L" bytes) is longer than the source (" +
             Grouped(sourceSize) +
             L" bytes), so it is not a partial copy of it; nothing was changed. Check the "
             L"paths, or " + StartOverAdvice);
}

void SaySeekFailed(bool source, DWORD error, int64_t offset) {
  EngineLine(source ? L"Could not seek to offset in source file"
                    : L"Could not seek to offset in destination file");
  if (offset % SmallestSectorBytes != 0) {
    EngineLine(L"The destination's size, " + Grouped(offset) +
               L" bytes, is not a whole number of the disk's sectors, so the copy can't "
               L"continue from there (" + ErrorText(error) + L"). " + StartOverSentence());
    return;
  }
  EngineLine(L"The move failed with " + ErrorText(error) +
             L"; nothing was copied. Check the files, then run the command again.");
}

void SayCheckReadFailed(DWORD error, int32_t blockBytes, int64_t startOffset, DWORD sectorBytes) {
  EngineLine(L"ReadFile returned 0??");
  if (error == ERROR_INVALID_PARAMETER) {
    EngineLine(SectorExplanation(L"read the source", blockBytes, startOffset, sectorBytes));
    return;
  }
  EngineLine(L"Reading the source to check that the destination is a partial copy of it failed "
             L"with " + ErrorText(error) +
             L"; nothing was copied. Check the source, then run the same command again.");
}

void SayNotAPartialCopy(int64_t windowStart, int64_t windowBytes) {
  EngineLine(L"The destination is not a partial copy of the source");
  EngineLine(L"Its " + Grouped(windowBytes) + L" bytes from byte " + Grouped(windowStart) +
             L" on differ from the source's bytes at the same place: the destination is "
             L"another file, or the source has changed since the copy began. Nothing was "
             L"written. Check the paths, or " + StartOverAdvice);
}

void SayDestUnreadable(DWORD error) {
  EngineLine(L"Could not read the destination file to check that it is a partial copy of the "
             L"source (" + ErrorText(error) +
             L"); nothing was written. Make the destination readable, or " + StartOverAdvice);
}

void SaySourceUnreadable(DWORD error) {
  EngineLine(L"Could not read the source again to check that the destination is a copy of it "
             L"(" + ErrorText(error) + L"); nothing was written. " + StartOverSentence());
}

void SaySourceNewer() {
  EngineLine(L"The source was changed after the copy was stopped");
  EngineLine(L"Its last-write time is later than the destination's, so the bytes already "
             L"copied may no longer be the source's. Nothing was written. " +
             StartOverSentence());
}

}  // namespace modFileIO
