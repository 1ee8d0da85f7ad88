// What the user is told of the verify pass: the copy read back from the disk
// and compared with the source.
#include "fileio/message_text.h"
#include "fileio/messages.h"

namespace modFileIO {

void SayVerifyUnreadable(bool source, DWORD error, int64_t at) {
  EngineLine(std::wstring(L"Could not read the ") + (source ? L"source" : L"destination") +
             L" back to verify the copy");
  EngineLine(L"Reading it from byte " + Grouped(at) + L" on failed with " + ErrorText(error) +
             L", so the copy is not verified and can't be trusted. The destination was kept as "
             L"it is. Check the disk, then run the same command with /R /V to verify it without "
             L"copying again.");
}

void SayVerifyDiffers(int64_t at, int64_t size) {
  EngineLine(L"The copy read back from the disk differs from the source at byte " + Grouped(at));
  EngineLine(std::wstring(at < size ? L"From there on its bytes are not the source's"
                                    : L"It ends there, short of the source's end") +
             L", though every byte was written and the file system took them: the "
             L"destination's disk or file system stored other bytes than it was given. The "
             L"destination was kept as it is. Copy to another disk or file system, or check "
             L"this one, and do not trust this copy.");
}

void SayVerifyStopped(int64_t totalBytes) {
  EngineLine(L"The copy is complete (" + Grouped(totalBytes) +
             L" bytes), but not verified: reading it back was stopped. The same command with "
             L"/R /V verifies it without copying again.");
}

void SayVerified(int64_t totalBytes) {
  EngineLine(L"Verified: " + Grouped(totalBytes) +
             L" bytes read back from the disk are identical to the source.");
}

}  // namespace modFileIO
