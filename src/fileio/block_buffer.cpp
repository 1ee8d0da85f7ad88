// The block buffer, had before anything is destroyed.
#include <algorithm>

#include "fileio/copy_checks.h"
#include "fileio/copy_messages.h"
#include "fileio/file_calls.h"
#include "fileio/modFileIO.h"

namespace modFileIO {
namespace {

void* Reserved = nullptr;

// Smaller than any page, so that every page is written once.
const int64_t TouchStride = 4096;

}  // namespace

// A system that overcommits gives the memory only when a page is first
// written, and may then end the process instead of failing a call: so each
// page the copy will use is written now. A block larger than the source uses
// no more of its pages than the source fills.
bool ReserveBlockBuffer(int64_t sourceBytes) {
  ReleaseBlockBuffer();
  Reserved = FilePlatform.VirtualAlloc(nullptr, static_cast<SIZE_T>(BufferBytes),
                                       MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (Reserved == nullptr) {
    ReportBufferFailure(BufferBytes, GetLastError());
    return false;
  }
  const int64_t used = std::min<int64_t>(BufferBytes, std::max<int64_t>(sourceBytes, 1));
  volatile char* pages = static_cast<char*>(Reserved);
  for (int64_t at = 0; at < used; at += TouchStride) pages[at] = 0;
  return true;
}

void* TakeBlockBuffer() {
  void* buffer = Reserved;
  Reserved = nullptr;
  return buffer;
}

void ReleaseBlockBuffer() {
  if (Reserved) FilePlatform.VirtualFree(Reserved, 0, MEM_RELEASE);
  Reserved = nullptr;
}

}  // namespace modFileIO
