// Checks of an existing destination before it is opened for writing: what
// it must not be, because writing it would destroy what the user keeps.
#include <cstring>
#include <string>

#include "fileio/copy_job.h"
#include "fileio/device_path.h"
#include "fileio/file_calls.h"

namespace modFileIO {
namespace {

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "C:\" and at least one more character: a file or folder on a drive.
bool DrivePathWithFolder(const std::wstring& rest) {
  return rest.size() > 3 && IsLetter(rest[0]) && rest[1] == L':' && IsSlash(rest[2]);
}

// "UNC\server\share\name": a file on a share, in the long spelling.
bool ShareFile(const std::wstring& rest) {
  if (rest.size() < 4 || rest.compare(0, 3, L"UNC") != 0 || !IsSlash(rest[3])) return false;
  int parts = 0;
  bool inPart = false;
  for (size_t i = 4; i < rest.size(); ++i) {
    if (IsSlash(rest[i]))
      inPart = false;
    else if (!inPart)
      inPart = true, ++parts;
  }
  return parts >= 3;
}

const DWORD FirstBytes = 64 * 1024;

// Both files' first bytes, read through handles of their own, differ. What
// can't be read is taken as the same: the times already said as much.
bool FirstBytesDiffer(const CopyJob& job, const FileFacts& probe) {
  const HANDLE one = OpenReaderOf(job.SourceAnsi, job.SourceFacts);
  const HANDLE other = OpenReaderOf(job.DestAnsi, probe);
  std::string first(FirstBytes, '\0');
  std::string second(FirstBytes, '\0');
  DWORD got = 0;
  DWORD gotOther = 0;
  const bool differ = one != INVALID_HANDLE_VALUE && other != INVALID_HANDLE_VALUE &&
                      ReadAt(one, 0, &first[0], FirstBytes, got) == ReadDone &&
                      ReadAt(other, 0, &second[0], FirstBytes, gotOther) == ReadDone &&
                      (got != gotOther || std::memcmp(first.data(), second.data(), got) != 0);
  if (one != INVALID_HANDLE_VALUE) FilePlatform.CloseHandle(one);
  if (other != INVALID_HANDLE_VALUE) FilePlatform.CloseHandle(other);
  return differ;
}

// Whether `stream`, a standard handle, writes to the file `probe` describes.
// Where the stream's identity can't be read (Wine gives a redirected stream
// no name, and with it no file information), a disk file of the same size
// and the same three times to 100 ns is taken for it: a refusal then costs
// nothing, a miss the copy's first bytes.
bool StreamWritesTo(HANDLE stream, const FileFacts& probe) {
  if (stream == INVALID_HANDLE_VALUE || stream == nullptr || !probe.Known) return false;
  const FileFacts facts = FactsOf(stream);
  if (facts.Known) return SameFile(facts, probe);
  FILETIME created;
  FILETIME accessed;
  FILETIME written;
  DWORD high = 0;
  SetLastError(NO_ERROR);
  const DWORD low = FilePlatform.GetFileSize(stream, &high);
  return facts.Type == FILE_TYPE_DISK && GetLastError() == NO_ERROR &&
         HalvesToSize(low, static_cast<int32_t>(high)) == probe.Size &&
         FilePlatform.GetFileTime(stream, &created, &accessed, &written) &&
         SameTime(created, probe.Created) && SameTime(accessed, probe.LastAccess) &&
         SameTime(written, probe.LastWrite);
}

// 1 standard output, 2 standard error, 3 both, 0 neither.
DWORD StandardStreamsTo(const FileFacts& probe) {
  return (StreamWritesTo(GetStdHandle(STD_OUTPUT_HANDLE), probe) ? 1u : 0u) |
         (StreamWritesTo(GetStdHandle(STD_ERROR_HANDLE), probe) ? 2u : 0u);
}

// The change time (the creation time's place on POSIX) moves with every
// change of the file, its times included, so a finished copy, whose times
// were set after its last write, never shares it with its source; the same
// file reached twice always does: the source reached by another path, which
// the file identity does not tell (bindfs, an overlay's upper folder against
// its merged one). An empty source has nothing to lose. Elsewhere another
// name of the source shows in the file identity alone.
bool MayBeTheSource(const CopyJob& job, const FileFacts& probe) {
  const FileFacts& source = job.SourceFacts;
  return CreationTimeIsChangeTime && source.Size != 0 && source.Size == probe.Size &&
         SameTime(source.LastWrite, probe.LastWrite) && SameTime(source.Created, probe.Created) &&
         !FirstBytesDiffer(job, probe);
}

}  // namespace

bool IsDevicePath(const std::wstring& path) {
  if (path.size() < 4 || !IsSlash(path[0]) || !IsSlash(path[1]) ||
      (path[2] != L'.' && path[2] != L'?') || !IsSlash(path[3]))
    return false;
  const std::wstring rest = path.substr(4);
  return !DrivePathWithFolder(rest) && !ShareFile(rest);
}

Finding CheckExistingDest(const CopyJob& job, const FileFacts& probe) {
  if (SameFile(job.SourceFacts, probe)) return FindingOf(Found::SameFile);
  Finding found = CheckDiskFile(probe, false);
  if (!None(found)) return found;
  const DWORD streams = StandardStreamsTo(probe);
  if (streams != 0) {
    found = FindingOf(Found::StandardStream);
    found.Count = streams;
  } else if (MayBeTheSource(job, probe)) {
    found = FindingOf(Found::MayBeTheSource);
  }
  return found;
}

}  // namespace modFileIO
