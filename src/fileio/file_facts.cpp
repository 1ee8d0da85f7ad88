// Facts of the copy's files, and reading them besides the copy's own handles.
#include "fileio/file_facts.h"

#include "fileio/file_calls.h"
#include "fileio/modFileIO.h"

namespace modFileIO {
namespace {

FileFacts FromInformation(DWORD type, const BY_HANDLE_FILE_INFORMATION& info) {
  FileFacts facts;
  facts.Type = type;
  facts.Known = true;
  facts.Device = (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
  facts.Volume = info.dwVolumeSerialNumber;
  facts.IndexHigh = info.nFileIndexHigh;
  facts.IndexLow = info.nFileIndexLow;
  facts.Size = HalvesToSize(info.nFileSizeLow, static_cast<int32_t>(info.nFileSizeHigh));
  facts.Created = info.ftCreationTime;
  facts.LastAccess = info.ftLastAccessTime;
  facts.LastWrite = info.ftLastWriteTime;
  return facts;
}

}  // namespace

FileFacts FactsOf(HANDLE file) {
  const DWORD type = FilePlatform.GetFileType(file);
  BY_HANDLE_FILE_INFORMATION info;
  if (FilePlatform.GetFileInformationByHandle(file, &info)) return FromInformation(type, info);
  FileFacts facts;
  facts.Type = type;
  facts.Error = GetLastError();
  return facts;
}

FileFacts FactsAtPath(const std::string& ansiPath) {
  BY_HANDLE_FILE_INFORMATION info;
  if (FilePlatform.GetFileInformationByPath(ansiPath.c_str(), &info))
    return FromInformation(FILE_TYPE_UNKNOWN, info);
  FileFacts facts;
  facts.Error = GetLastError();
  return facts;
}

bool SameFile(const FileFacts& one, const FileFacts& other) {
  return one.Known && other.Known && one.Volume == other.Volume &&
         one.IndexHigh == other.IndexHigh && one.IndexLow == other.IndexLow;
}

bool SameTime(const FILETIME& one, const FILETIME& other) {
  return one.dwLowDateTime == other.dwLowDateTime && one.dwHighDateTime == other.dwHighDateTime;
}

HANDLE OpenReaderOf(const std::string& ansiPath, const FileFacts& of, DWORD flags) {
  const HANDLE reader = FilePlatform.CreateFileA(ansiPath.c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                 OPEN_EXISTING, flags, nullptr);
  if (reader == INVALID_HANDLE_VALUE || SameFile(FactsOf(reader), of)) return reader;
  FilePlatform.CloseHandle(reader);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}

ReadResult ReadAt(HANDLE file, int64_t offset, char* buffer, DWORD size, DWORD& got) {
  got = 0;
  if (!SetFilePointer64(file, offset, FILE_BEGIN)) return SeekFailed;
  while (got < size) {
    DWORD piece = 0;
    if (!FilePlatform.ReadFile(file, buffer + got, size - got, &piece, nullptr)) return ReadFailed;
    if (piece == 0) break;
    got += piece;
  }
  return ReadDone;
}

}  // namespace modFileIO
