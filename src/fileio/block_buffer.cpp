// The block buffer, had before anything is destroyed.
#include <algorithm>

#include "fileio/copy_job.h"
#include "fileio/file_calls.h"

namespace modFileIO {
namespace {

// Smaller than any page, so that every page is written once.
const int64_t TouchStride = 4096;

}  // namespace

// Page-aligned, as unbuffered transfers need. A system that overcommits
// gives the memory only when a page is first written, and may then end the
// process instead of failing a call: so each page the copy will use is
// written now. A block larger than the source uses no more of its pages than
// the source fills.
Finding ReserveBuffer(CopyJob& job) {
  job.Buffer = static_cast<char*>(FilePlatform.VirtualAlloc(
      nullptr, job.BlockBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (job.Buffer == nullptr) {
    Finding found = FailedCall(Found::BufferRefused);
    found.Count = job.BlockBytes;
    return found;
  }
  const int64_t used = std::min<int64_t>(job.BlockBytes, std::max<int64_t>(job.SourceFacts.Size, 1));
  volatile char* pages = job.Buffer;
  for (int64_t at = 0; at < used; at += TouchStride) pages[at] = 0;
  return Finding();
}

void ReleaseBuffer(CopyJob& job) {
  if (job.Buffer) FilePlatform.VirtualFree(job.Buffer, 0, MEM_RELEASE);
  job.Buffer = nullptr;
}

}  // namespace modFileIO
