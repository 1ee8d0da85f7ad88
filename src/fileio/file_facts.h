// What a copy knows of each of its files, taken once right after the open,
// and the few ways it reads a file besides the copy's own handles. Private to
// src/fileio/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace modFileIO {

// One file as its handle described it when it was opened. Later checks
// compare against these instead of asking the file (or its name) again.
struct FileFacts {
  DWORD Type = FILE_TYPE_UNKNOWN;  // GetFileType: a disk file is FILE_TYPE_DISK
  bool Known = false;              // the information below could be read
  DWORD Error = NO_ERROR;          // why it could not
  bool Device = false;             // a disk or a volume: its size is its capacity
  DWORD Volume = 0;                // volume serial number and file index: which file
  DWORD IndexHigh = 0;
  DWORD IndexLow = 0;
  int64_t Size = 0;
  FILETIME Created{};  // the status-change time on POSIX
  FILETIME LastAccess{};
  FILETIME LastWrite{};
};

// The facts of an open handle: its type and its file information.
FileFacts FactsOf(HANDLE file);
// The facts of what `ansiPath` names now, without opening it for any access;
// Known is false when nothing is there.
FileFacts FactsAtPath(const std::string& ansiPath);
// True when both describe one file: the same volume and file index, which no
// other spelling, link or rename changes. False when either is unknown.
bool SameFile(const FileFacts& one, const FileFacts& other);
// True when two file times are the same to the 100 ns.
bool SameTime(const FILETIME& one, const FILETIME& other);

// A read-only handle on `ansiPath`, when it reaches the file `of` describes:
// buffered, a check reads through it what an unbuffered handle can't (any
// length at any offset); with FILE_FLAG_NO_BUFFERING in `flags`, what it
// reads comes from the disk. INVALID_HANDLE_VALUE, with the system's last
// error (ERROR_FILE_NOT_FOUND for another file), when it can't be had.
HANDLE OpenReaderOf(const std::string& ansiPath, const FileFacts& of,
                    DWORD flags = FILE_ATTRIBUTE_NORMAL);

// How ReadAt ended.
enum ReadResult { ReadDone, SeekFailed, ReadFailed };
// Reads up to `size` bytes from `offset` on, reading on after a short read
// until the file ends; `got` is what was there. The system's last error
// tells why a failed one failed.
ReadResult ReadAt(HANDLE file, int64_t offset, char* buffer, DWORD size, DWORD& got);

}  // namespace modFileIO
