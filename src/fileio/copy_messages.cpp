// What the copy engine tells the user when something goes wrong.
#include "fileio/copy_messages.h"
#include "fileio/file_calls.h"
#include "fileio/format.h"
#include "fileio/modFileIO.h"
#include "fileio/testing.h"

#include <algorithm>

#include "console/Con.h"
#include "platform/names.h"
#include "platform/textconv.h"

namespace modFileIO {
namespace {

void (*Listener)(const std::wstring&) = nullptr;
std::wstring SourcePath;
std::wstring DestPath;

const wchar_t* const ResumeAdvice = L"run the same command with /R to finish the copy.";

std::wstring Number(int64_t value) { return std::to_wstring(value); }

// The codes a user can't look up by number alone carry their meaning.
std::wstring ErrorText(DWORD error) {
  const DWORD FileTooLarge = 223;  // ERROR_FILE_TOO_LARGE, EFBIG
  std::wstring text = L"system error " + Number(error);
  if (error == ERROR_INVALID_NAME)
    text += L": the name holds a character that file names can't have, such as * ? < > | \" or a "
            L"control character";
  else if (error == ERROR_LOCK_VIOLATION)
    text += L": another program has locked a part of the file";
  else if (error == FileTooLarge)
    text += L": the file would be larger than its file system allows";
  return text;
}

// True when the file at `path` carries the hidden or system attribute:
// Windows refuses to replace such a file (CREATE_ALWAYS) with error 5.
bool HiddenOrSystem(const std::wstring& path) {
  std::string ansi;
  if (path.empty() || !PathToAnsi(path, ansi)) return false;
  const DWORD attributes = FilePlatform.GetFileAttributesA(ansi.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

// A name that the system takes for a device on Windows, in any folder and
// with any extension: CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9.
bool IsDosDeviceName(const std::wstring& path) {
  std::wstring name = path.substr(path.find_last_of(L"\\/:") + 1);
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && name.back() == L' ') name.pop_back();
  for (wchar_t& c : name)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  if (name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"NUL") return true;
  return name.size() == 4 && (name.compare(0, 3, L"COM") == 0 || name.compare(0, 3, L"LPT") == 0) &&
         name[3] >= L'1' && name[3] <= L'9';
}

bool DiskFull(DWORD error) {
  const DWORD HandleDiskFull = 39;       // ERROR_HANDLE_DISK_FULL
  const DWORD DiskQuotaExceeded = 1295;  // ERROR_DISK_QUOTA_EXCEEDED
  return error == ERROR_DISK_FULL || error == HandleDiskFull || error == DiskQuotaExceeded;
}

// The line after a transfer that the sector rule refused (error 87), with
// the sector size of the disk that holds `path` when it can be found.
std::wstring SectorExplanation(const std::wstring& what, int32_t blockBytes, int64_t startOffset,
                               const std::wstring& path) {
  const int64_t known = DiskSectorBytes(path);
  const int64_t sector = known > 0 ? known : SmallestSectorBytes;
  std::wstring text = L"The system refused to " + what + L" (error 87): ";
  // Sectors are at most 4096 bytes: a block of whole 4096-byte sectors is
  // never the one refused, whatever size the disk's folder reports (a
  // device's own sectors may be larger than those of the folder it is in).
  const int64_t Largest = 4096;
  const bool offsetSuspect = startOffset % sector != 0 ||
                             (startOffset % Largest != 0 && blockBytes % Largest == 0);
  if (offsetSuspect)
    return text + L"the resume offset, " + Number(startOffset) +
           L" bytes, is not a whole number of the disk's sectors. Run the command without /R "
           L"to copy the whole file again.";
  if (known > 0 && blockBytes % sector != 0)
    return text + L"the block size, " + Number(blockBytes) +
           L" bytes, is not a whole number of the disk's sectors, which are " + Number(sector) +
           L" bytes. The block must be a multiple of " + Number(sector) +
           L" bytes: use a block size such as 64K or 1M, and run the command again.";
  if (blockBytes % sector != 0 || startOffset == 0)
    text += L"the block size, " + Number(blockBytes) +
            L" bytes, is not a whole number of the disk's sectors, which can be up to 4096 bytes.";
  else
    text += L"the block size (" + Number(blockBytes) + L" bytes) or the resume offset (" +
            Number(startOffset) + L" bytes) is not a whole number of the disk's sectors, which "
            L"can be up to 4096 bytes.";
  return text + L" Use a block size that is a multiple of 4096 bytes, such as 64K or 1M, and run "
                L"the command again.";
}

// The root GetDiskFreeSpaceA asks about: a drive's or a share's root, else the
// file's folder (null for the current one).
std::string VolumeOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + "\\";
  if (path.rfind("\\\\", 0) == 0) {
    const size_t server = path.find('\\', 2);
    const size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
    return share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
  }
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash == 0 ? 1 : slash);
}

// A write refused for the file's size (error 223): the limit set for this
// process, which /R can pass once it is raised, or the file system's largest
// file, which no /R passes. `wanted` is the size the write would have made.
bool ProcessLimitReached(int64_t wanted) {
  const int64_t limit = ProcessFileSizeLimit();
  return limit >= 0 && wanted > limit;
}

std::wstring FileTooLarge(int64_t wanted) {
  if (ProcessLimitReached(wanted))
    return L"The destination reached the limit on file sizes set for this program (ulimit -f, " +
           Number(ProcessFileSizeLimit()) + L" bytes).";
  return L"The destination reached the largest file its file system can hold (FAT32 holds "
         L"files of up to 4 GiB less one byte).";
}

std::wstring AfterFileTooLarge(int64_t wanted) {
  if (ProcessLimitReached(wanted))
    return L"raise the limit (ulimit -f unlimited), then " + std::wstring(ResumeAdvice);
  return L"/R can't take it further there. Copy to a disk whose file system holds larger "
         L"files (such as NTFS, exFAT or ext4), without /R.";
}

}  // namespace

void EngineLine(const std::wstring& text) {
  WriteWrapped(text);
  if (Listener) Listener(text);
}

void SetEngineLineListener(void (*listener)(const std::wstring& line)) { Listener = listener; }

void SetCopyPaths(const std::wstring& source, const std::wstring& dest) {
  SourcePath = source;
  DestPath = dest;
}

DWORD DiskSectorBytes(const std::wstring& path) {
  std::string ansi;
  if (path.empty() || !PathToAnsi(path, ansi)) return 0;
  const std::string volume = VolumeOf(ansi);
  DWORD perCluster = 0, sector = 0, free = 0, total = 0;
  if (!FilePlatform.GetDiskFreeSpaceA(volume.empty() ? nullptr : volume.c_str(), &perCluster,
                                      &sector, &free, &total))
    return 0;
  return sector;
}

void ReportUnrepresentablePath(bool isSource) {
  const std::wstring which = isSource ? L"source" : L"destination";
  EngineLine(L"Could not open " + which + L" file");
  EngineLine(L"The " + which +
             L" path has characters that the system's code page can't represent; rename it or "
             L"use a path without them.");
}

void ReportOpenFailure(bool isSource, DWORD error) {
  const std::wstring which = isSource ? L"source" : L"destination";
  EngineLine(L"Could not open " + which + L" file");
  std::wstring why;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      if (!isSource && IsDosDeviceName(DestPath))
        why = L"The destination names a device (such as PRN or LPT1) that the system could not "
              L"open, not a file. Give a file or a disk as the destination";
      else
        why = L"The " + which + L" file does not exist. Check the path";
      break;
    case ERROR_TOO_MANY_OPEN_FILES:
      why = L"The system has no file handle left for the " + which + L" (" + ErrorText(error) +
            L": too many open files). Close other programs, or raise the limit of open files";
      break;
    case ERROR_PATH_NOT_FOUND:
      why = L"A folder in the " + which + L" path does not exist. Check the path";
      break;
    case ERROR_ACCESS_DENIED:
      if (!isSource && HiddenOrSystem(DestPath)) {
        why = L"The destination is a hidden or system file, which the system does not replace. "
              L"Clear those attributes (attrib -h -s and the path), or give another path";
        break;
      }
      why = isSource ? L"The source is a folder, or you have no right to read it. Check the path"
                     : L"The destination is a folder or a read-only file, or you have no right "
                       L"to write there. Check the path and the file's permissions";
      break;
    case ERROR_SHARING_VIOLATION:
      why = L"The " + which + L" file is in use by another program. Close it";
      break;
    case ERROR_WRITE_PROTECT:
      why = L"The " + which + L" is on a write-protected (read-only) disk or mount (" +
            ErrorText(error) + L"). Give a path on a writable disk, or make the disk writable";
      break;
    case ERROR_FILENAME_EXCED_RANGE:
      why = L"The " + which + L" path is too long for the system (" + ErrorText(error) +
            L"). Give a shorter path";
      break;
    default:
      why = L"The system refused to open it (" + ErrorText(error) + L"). Check the path";
  }
  EngineLine(why + L", then run the command again. Nothing was copied.");
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
  if (offset % SmallestSectorBytes != 0) {
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
    EngineLine(SectorExplanation(L"read the source", blockBytes, startOffset, SourcePath));
    return;
  }
  EngineLine(L"Reading the source failed with " + ErrorText(error) + L" after " +
             Number(totalBytes) + L" bytes; the copy is incomplete. Check the source, then " +
             ResumeAdvice);
}

void ReportShortRead(DWORD got, DWORD blockBytes, int64_t totalBytes, int64_t sourceSize) {
  EngineLine(L"ReadFile returned " + Number(got) + L" of " + Number(blockBytes) +
             L" bytes before the end of the source");
  EngineLine(L"The read at byte " + Number(totalBytes) + L" stopped short, while the source has " +
             Number(sourceSize) +
             L" bytes: its disk or file system failed to read the rest (a bad sector, an I/O "
             L"error). The copy stopped with the first " + Number(totalBytes) +
             L" bytes in the destination, in whole blocks. Check the source's disk, then " +
             ResumeAdvice);
}

void ReportCheckReadFailure(DWORD error, int32_t blockBytes, int64_t startOffset) {
  EngineLine(L"ReadFile returned 0??");
  if (error == ERROR_INVALID_PARAMETER) {
    EngineLine(SectorExplanation(L"read the source", blockBytes, startOffset, SourcePath));
    return;
  }
  EngineLine(L"Reading the source to check that the destination is a partial copy of it failed "
             L"with " + ErrorText(error) +
             L"; nothing was copied. Check the source, then run the same command again.");
}

void ReportWriteFailure(bool buffered, DWORD error, bool firstWrite, int32_t blockBytes,
                        int64_t startOffset, int64_t totalBytes) {
  EngineLine(std::wstring(buffered ? L"buffered " : L"") +
             L"Write file returned 0, getlasterror is " + Number(error));
  if (firstWrite && !buffered && error == ERROR_INVALID_PARAMETER) {
    EngineLine(SectorExplanation(L"write the destination", blockBytes, startOffset, DestPath));
    return;
  }
  const std::wstring held = L"The copy stopped with the first " + Number(totalBytes) +
                            L" bytes in the destination";
  if (DiskFull(error))
    EngineLine(L"The destination disk is full. " + held + L": make room, then " + ResumeAdvice);
  else if (error == ERROR_FILE_TOO_LARGE)
    EngineLine(FileTooLarge(totalBytes + blockBytes) + L" " + held + L": " +
               AfterFileTooLarge(totalBytes + blockBytes));
  else if (error == ERROR_WRITE_PROTECT)
    EngineLine(L"The destination disk is write-protected (read-only). " + held +
               L": make it writable, then " + ResumeAdvice);
  else
    EngineLine(held + L". Once the cause is fixed, " + ResumeAdvice);
}

void ReportBreak(int64_t totalBytes) {
  EngineLine(L"The destination holds the first " +
             FormatGrouped(totalBytes, UserSeparators().Thousands) +
             L" bytes of the source, in whole blocks. The same command with /R continues the "
             L"copy from there.");
}

void ReportTimeNotKept(DWORD error) {
  EngineLine(L"The destination could not be given the source's last-write time (" +
             ErrorText(error) +
             L"); its bytes are complete, but a backup tool that compares times may copy it "
             L"again.");
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

void ReportNotAPartialCopy(int64_t windowStart, int64_t windowBytes) {
  EngineLine(L"The destination is not a partial copy of the source");
  EngineLine(L"Its " + Number(windowBytes) + L" bytes from byte " + Number(windowStart) +
             L" on differ from the source's bytes at the same place: the destination is "
             L"another file, or the source has changed since the copy began. Nothing was "
             L"written. Check the paths, or run the command without /R to copy the whole file "
             L"again.");
}

void ReportResumeCheckFailure(DWORD error) {
  EngineLine(L"Could not read the destination file to check that it is a partial copy of the "
             L"source (" + ErrorText(error) +
             L"); nothing was written. Make the destination readable, or run the command "
             L"without /R to copy the whole file again.");
}

void ReportNotADiskFile(bool isSource, DWORD type) {
  const std::wstring which = isSource ? L"source" : L"destination";
  EngineLine(L"The " + which + L" is not a file or a disk");
  std::wstring what;
  if (type == FILE_TYPE_PIPE)
    what = PipeExamples();
  else if (type == FILE_TYPE_CHAR)
    what = CharacterDeviceExamples();
  else
    what = L"It is of a kind the system does not name (type " + Number(type) + L")";
  if (isSource)
    EngineLine(what + L": its size is not known before it is read, so no copy of it can be "
                      L"checked. Nothing was copied. Save its data to a file first, then copy "
                      L"that file.");
  else
    EngineLine(what + L": what is written there is not kept as a file's bytes are, so no copy "
                      L"would be made. Nothing was written. Give a file or a disk as the "
                      L"destination.");
}

void ReportDevicePath(bool isSource) {
  EngineLine(std::wstring(L"The ") + (isSource ? L"source" : L"destination") +
             L" is a device or volume path (\\\\.\\... or \\\\?\\...)");
  EngineLine(L"blkcopy copies files; a disk or a volume can't be measured here. Nothing was "
             L"copied. Copy to or from a file instead.");
}

void ReportDestinationBusy() {
  EngineLine(L"The destination is being written by another blkcopy");
  EngineLine(L"Two copies into one file would write over each other. Nothing was written. "
             L"Wait until the other copy has ended (or stop it), then run the command again.");
}

void ReportDeviceTooSmall(int64_t sourceSize, int64_t deviceSize) {
  EngineLine(L"The destination device is too small for the source");
  EngineLine(L"The source has " + Number(sourceSize) + L" bytes and the device holds " +
             Number(deviceSize) + L". Nothing was written. Give a larger device or a file as "
             L"the destination.");
}

void ReportResumeOntoDevice() {
  EngineLine(L"The destination is a device, so /R can't continue a copy onto it");
  EngineLine(L"A device's size is its capacity, not the bytes an interrupted copy wrote to it. "
             L"Nothing was written. Run the command without /R to write the whole source "
             L"again.");
}

void ReportDestinationMoved(DWORD tailBytes) {
  EngineLine(L"The destination was moved or deleted during the copy");
  EngineLine(L"Its path no longer names the file being written, so the last " +
             Number(tailBytes) + L" bytes of the source were not written, and the file "
             L"wherever it went is incomplete. Copy the file again without /R.");
}

void ReportSourceShrank(int64_t atStart, int64_t now, int64_t copied) {
  EngineLine(L"The source got shorter during the copy");
  EngineLine(L"It had " + Number(atStart) + L" bytes when the copy began and has " +
             Number(now) + L" now, while " + Number(copied) +
             L" bytes were written: the destination is no copy of it. Once nothing changes the "
             L"source, copy it again without /R.");
}

void ReportSourceRecheckFailure(DWORD error) {
  EngineLine(L"Could not read the source again to check that the destination is a copy of it "
             L"(" + ErrorText(error) + L"); nothing was written. Run the command without /R to "
             L"copy the whole file again.");
}

void ReportSourceChanged(bool written, int64_t copied, int64_t now) {
  EngineLine(L"Another program changed the source during the copy");
  if (written)
    EngineLine(L"Its last-write time moved while it was read, so the destination may hold some of "
               L"its old bytes: it is no copy of the source as it is now.");
  else
    EngineLine(L"It has " + Number(now) + L" bytes now, while " + Number(copied) +
               L" bytes were copied: the destination is no copy of it.");
  EngineLine(L"Once nothing changes the source, copy it again without /R.");
}

void ReportDestinationChanged(int64_t copied, int64_t now) {
  EngineLine(L"Another program changed the destination during the copy");
  EngineLine(L"It has " + Number(now) + L" bytes now, while " + Number(copied) +
             L" bytes were written to it: it is no copy of the source. Once nothing else writes "
             L"the destination, copy the file again without /R.");
}

void ReportDestinationCut(int64_t holeStart, int64_t holeEnd) {
  EngineLine(L"Another program changed the destination during the copy");
  EngineLine(L"It holds no data from byte " + Number(holeStart) + L" to byte " + Number(holeEnd) +
             L", where the source has some: it was cut short while the copy ran, and the "
             L"copy's next write extended it again. Once nothing else writes the destination, "
             L"copy the file again without /R.");
}

void ReportDestinationIsStandardStream(bool output, bool error) {
  const std::wstring which = output && error ? L"standard output and standard error write"
                             : output        ? L"standard output writes"
                                             : L"standard error writes";
  const std::wstring lines[] = {
      L"The destination is the file that " + which + L" to",
      L"blkcopy's own lines would be written into the copy. Nothing was written. Send the "
      L"program's output elsewhere, or give another destination."};
  for (const std::wstring& line : lines) {
    if (!output)
      EngineLine(line);
    else if (!error)
      Con::WriteText(line, true, 1);
  }
}

void ReportMayBeTheSource() {
  EngineLine(L"The destination may be the source under another path");
  EngineLine(L"It has the source's size, last-write time, change time and first bytes, as the "
             L"same file reached through a bind mount or an overlay has; copying would empty the "
             L"source. Nothing was written. Give a destination that is not the source.");
}

void ReportSourceCutByOpen(int64_t before, int64_t now) {
  EngineLine(L"The source got shorter when the destination was opened");
  EngineLine(L"It had " + Number(before) + L" bytes and has " + Number(now) +
             L" now: the destination is most likely the source under another path, and "
             L"opening it emptied the source. Nothing was copied. Check the source, and "
             L"restore it from a backup if need be.");
}

void ReportSourceNewerThanCopy() {
  EngineLine(L"The source was changed after the copy was stopped");
  EngineLine(L"Its last-write time is later than the destination's, so the bytes already "
             L"copied may no longer be the source's. Nothing was written. Run the command "
             L"without /R: the copy starts over.");
}

}  // namespace modFileIO
