// Checks of an existing destination before it is opened for writing: what
// it must not be, because writing it would destroy what the user keeps.
#include <cstring>

#include "fileio/copy_checks.h"
#include "fileio/copy_messages.h"
#include "fileio/file_calls.h"
#include "fileio/file_identity.h"

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
bool FirstBytesDiffer(const std::string& sourceAnsi, HANDLE source, const std::string& destAnsi,
                    HANDLE probe) {
  const HANDLE one = OpenReaderOf(sourceAnsi, source);
  const HANDLE other = OpenReaderOf(destAnsi, probe);
  std::string first(FirstBytes, '\0');
  std::string second(FirstBytes, '\0');
  DWORD got = 0;
  DWORD gotOther = 0;
  const bool differ = one != INVALID_HANDLE_VALUE && other != INVALID_HANDLE_VALUE &&
                      ReadAt(one, 0, &first[0], FirstBytes, got) &&
                      ReadAt(other, 0, &second[0], FirstBytes, gotOther) &&
                      (got != gotOther || std::memcmp(first.data(), second.data(), got) != 0);
  if (one != INVALID_HANDLE_VALUE) FilePlatform.CloseHandle(one);
  if (other != INVALID_HANDLE_VALUE) FilePlatform.CloseHandle(other);
  return differ;
}

// Whether `stream`, a standard handle, writes to the file `probe` reaches.
// Where the stream's identity can't be read (Wine gives a redirected stream
// no name, and with it no file information), a disk file of the same size
// and the same three times to 100 ns is taken for it: a refusal then costs
// nothing, a miss the copy's first bytes.
bool StreamWritesTo(HANDLE stream, HANDLE probe) {
  if (stream == INVALID_HANDLE_VALUE || stream == nullptr) return false;
  BY_HANDLE_FILE_INFORMATION file;
  BY_HANDLE_FILE_INFORMATION streamFile;
  if (!FilePlatform.GetFileInformationByHandle(probe, &file)) return false;
  if (FilePlatform.GetFileInformationByHandle(stream, &streamFile))
    return SameFileHandles(stream, probe);
  FILETIME created;
  FILETIME accessed;
  FILETIME written;
  DWORD high = 0;
  SetLastError(NO_ERROR);
  const DWORD low = FilePlatform.GetFileSize(stream, &high);
  return FilePlatform.GetFileType(stream) == FILE_TYPE_DISK && GetLastError() == NO_ERROR &&
         low == file.nFileSizeLow && high == file.nFileSizeHigh &&
         FilePlatform.GetFileTime(stream, &created, &accessed, &written) &&
         SameTime(created, file.ftCreationTime) && SameTime(accessed, file.ftLastAccessTime) &&
         SameTime(written, file.ftLastWriteTime);
}

}  // namespace

bool IsDevicePath(const std::wstring& path) {
  if (path.size() < 4 || !IsSlash(path[0]) || !IsSlash(path[1]) ||
      (path[2] != L'.' && path[2] != L'?') || !IsSlash(path[3]))
    return false;
  const std::wstring rest = path.substr(4);
  return !DrivePathWithFolder(rest) && !ShareFile(rest);
}

bool StandardStreamOrReport(HANDLE probe) {
  const bool toOutput = StreamWritesTo(GetStdHandle(STD_OUTPUT_HANDLE), probe);
  const bool toError = StreamWritesTo(GetStdHandle(STD_ERROR_HANDLE), probe);
  if (toOutput || toError) ReportDestinationIsStandardStream(toOutput, toError);
  return toOutput || toError;
}

// The change time (the creation time's place on POSIX) moves with every
// change of the file, its times included, so a finished copy, whose times
// were set after its last write, never shares it with its source; the same
// file reached twice always does. An empty source has nothing to lose.
bool MayBeTheSourceOrReport(HANDLE source, const std::string& sourceAnsi, HANDLE probe,
                            const std::string& destAnsi) {
  // Elsewhere another name of the source shows in the file identity alone.
  if (!CreationTimeIsChangeTime) return false;
  BY_HANDLE_FILE_INFORMATION one;
  BY_HANDLE_FILE_INFORMATION other;
  if (!FilePlatform.GetFileInformationByHandle(source, &one) ||
      !FilePlatform.GetFileInformationByHandle(probe, &other))
    return false;
  if ((one.nFileSizeLow == 0 && one.nFileSizeHigh == 0) || one.nFileSizeLow != other.nFileSizeLow ||
      one.nFileSizeHigh != other.nFileSizeHigh || !SameTime(one.ftLastWriteTime, other.ftLastWriteTime) ||
      !SameTime(one.ftCreationTime, other.ftCreationTime) ||
      FirstBytesDiffer(sourceAnsi, source, destAnsi, probe))
    return false;
  ReportMayBeTheSource();
  return true;
}

}  // namespace modFileIO
