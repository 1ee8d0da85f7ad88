// What the user is told when a copy can't start: a file that can't be
// opened, or one that must not be written.
#include "console/Con.h"
#include "fileio/message_text.h"
#include "fileio/messages.h"
#include "platform/names.h"

namespace modFileIO {
namespace {

std::wstring Which(bool source) { return source ? L"source" : L"destination"; }

// Why CreateFileA refused, in words that say what to do.
std::wstring WhyNotOpened(bool source, DWORD error, const OpenRefusal& why) {
  const std::wstring which = Which(source);
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      if (!source && why.DeviceName)
        return L"The destination names a device (such as PRN or LPT1) that the system could not "
               L"open, not a file. Give a file or a disk as the destination";
      return L"The " + which + L" file does not exist. Check the path";
    case ERROR_TOO_MANY_OPEN_FILES:
      return L"The system has no file handle left for the " + which + L" (" + ErrorText(error) +
             L": too many open files). Close other programs, or raise the limit of open files";
    case ERROR_PATH_NOT_FOUND:
      return L"A folder in the " + which + L" path does not exist. Check the path";
    case ERROR_ACCESS_DENIED:
      if (!source && why.Immutable)
        return L"The destination has the immutable or append-only attribute (chattr +i or +a), "
               L"which refuses writes whatever its permissions say. Remove it (chattr -i -a, "
               L"as root), or give another path";
      if (!source && why.HiddenOrSystem)
        return L"The destination is a hidden or system file, which the system does not replace. "
               L"Clear those attributes (attrib -h -s and the path), or give another path";
      return source ? L"The source is a folder, or you have no right to read it. Check the path"
                    : L"The destination is a folder or a read-only file, or you have no right "
                      L"to write there. Check the path and the file's permissions";
    case ERROR_SHARING_VIOLATION:
      return L"The " + which + L" file is in use by another program. Close it";
    case ERROR_WRITE_PROTECT:
      return L"The " + which + L" is on a write-protected (read-only) disk or mount (" +
             ErrorText(error) + L"). Give a path on a writable disk, or make the disk writable";
    case ERROR_FILENAME_EXCED_RANGE:
      return L"The " + which + L" path is too long for the system (" + ErrorText(error) +
             L"). Give a shorter path";
    default:
      return L"The system refused to open it (" + ErrorText(error) + L"). Check the path";
  }
}

}  // namespace

void SayBadBlockSize(int32_t blockBytes) {
  EngineLine(L"The block size, " + Grouped(blockBytes) +
             L" bytes, can't be used: it must be at least 1 byte. Nothing was copied.");
}

void SayDevicePath(bool source) {
  EngineLine(L"The " + Which(source) + L" is a device or volume path (\\\\.\\... or \\\\?\\...)");
  EngineLine(L"blkcopy copies files; a disk or a volume can't be measured here. Nothing was "
             L"copied. Copy to or from a file instead.");
}

void SayUnrepresentablePath(bool source) {
  EngineLine(L"Could not open " + Which(source) + L" file");
  EngineLine(L"The " + Which(source) +
             L" path has characters that the system's code page can't represent; rename it or "
             L"use a path without them.");
}

void SayOpenFailed(bool source, DWORD error, const OpenRefusal& why) {
  EngineLine(L"Could not open " + Which(source) + L" file");
  EngineLine(WhyNotOpened(source, error, why) +
             L", then run the command again. Nothing was copied.");
}

void SayNotADiskFile(bool source, DWORD type) {
  EngineLine(L"The " + Which(source) + L" is not a file or a disk");
  std::wstring what;
  if (type == FILE_TYPE_PIPE)
    what = PipeExamples();
  else if (type == FILE_TYPE_CHAR)
    what = CharacterDeviceExamples();
  else
    what = L"It is of a kind the system does not name (type " + Number(type) + L")";
  if (source)
    EngineLine(what + L": its size is not known before it is read, so no copy of it can be "
                      L"checked. Nothing was copied. Save its data to a file first, then copy "
                      L"that file.");
  else
    EngineLine(what + L": what is written there is not kept as a file's bytes are, so no copy "
                      L"would be made. Nothing was written. Give a file or a disk as the "
                      L"destination.");
}

void SayUnmeasurable(DWORD error) {
  EngineLine(L"Could not read the size of the source or the destination file (" +
             ErrorText(error) + L"); nothing was copied.");
}

void SayBufferRefused(int64_t bytes, DWORD error) {
  EngineLine(L"Could not allocate a block buffer of " + Grouped(bytes) + L" bytes (" +
             ErrorText(error) +
             L"). Use a smaller block size, such as 1M, and run the command again.");
}

void SaySameFile() {
  EngineLine(L"Source and destination are the same file, so nothing was copied. Give a "
             L"different destination path.");
}

// The lines go to a stream that is not the destination, or nowhere.
void SayStandardStream(bool output, bool error) {
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

void SayMayBeTheSource() {
  EngineLine(L"The destination may be the source under another path");
  EngineLine(L"It has the source's size, last-write time, change time and first bytes, as the "
             L"same file reached through a bind mount or an overlay has; copying would empty the "
             L"source. Nothing was written. Give a destination that is not the source.");
}

void SayDestinationBusy() {
  EngineLine(L"The destination is being written by another blkcopy");
  EngineLine(L"Two copies into one file would write over each other. Nothing was written. "
             L"Wait until the other copy has ended (or stop it), then run the command again.");
}

void SaySourceCutByOpen(int64_t before, int64_t now) {
  const std::wstring sizes = L"It had " + Grouped(before) + L" bytes and has " + Grouped(now);
  EngineLine(L"The source got shorter when the destination was opened");
  EngineLine(sizes + L" now: the destination is most likely the source under another path, and "
                     L"opening it emptied the source. Nothing was copied. Check the source, and "
                     L"restore it from a backup if need be.");
}

void SayDeviceTooSmall(int64_t sourceSize, int64_t deviceSize) {
  EngineLine(L"The destination device is too small for the source");
  EngineLine(L"The source has " + Grouped(sourceSize) + L" bytes and the device holds " +
             Grouped(deviceSize) + L". Nothing was written. Give a larger device or a file as "
             L"the destination.");
}

}  // namespace modFileIO
