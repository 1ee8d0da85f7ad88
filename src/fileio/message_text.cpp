// The engine's lines on their way out, and the text its messages share.
#include "fileio/message_text.h"

#include "fileio/format.h"
#include "fileio/messages.h"
#include "fileio/modFileIO.h"
#include "fileio/testing.h"

namespace modFileIO {
namespace {

void (*Listener)(const std::wstring&) = nullptr;

}  // namespace

const wchar_t* const ResumeAdvice = L"run the same command with /R to finish the copy.";
const wchar_t* const StartOverAdvice = L"run the command without /R to copy the whole file again.";

std::wstring StartOverSentence() {
  std::wstring sentence = StartOverAdvice;
  sentence[0] = L'R';
  return sentence;
}

void EngineLine(const std::wstring& text) {
  WriteWrapped(text);
  if (Listener) Listener(text);
}

void SetEngineLineListener(void (*listener)(const std::wstring& line)) { Listener = listener; }

std::wstring Number(int64_t value) { return std::to_wstring(value); }

std::wstring Grouped(int64_t bytes) { return FormatGrouped(bytes, UserSeparators().Thousands); }

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

std::wstring SectorExplanation(const std::wstring& what, int32_t blockBytes, int64_t startOffset,
                               DWORD sectorBytes) {
  const int64_t known = sectorBytes;
  const int64_t sector = known > 0 ? known : SmallestSectorBytes;
  std::wstring text = L"The system refused to " + what + L" (error 87): ";
  // Sectors are at most 4096 bytes: a block of whole 4096-byte sectors is
  // never the one refused, whatever size the disk's folder reports (a
  // device's own sectors may be larger than those of the folder it is in).
  const int64_t Largest = 4096;
  const bool offsetSuspect = startOffset % sector != 0 ||
                             (startOffset % Largest != 0 && blockBytes % Largest == 0);
  if (offsetSuspect)
    return text + L"the resume offset, " + Grouped(startOffset) +
           L" bytes, is not a whole number of the disk's sectors. " + StartOverSentence();
  if (known > 0 && blockBytes % sector != 0)
    return text + L"the block size, " + Grouped(blockBytes) +
           L" bytes, is not a whole number of the disk's sectors, which are " + Grouped(sector) +
           L" bytes. The block must be a multiple of " + Grouped(sector) +
           L" bytes: use a block size such as 64K or 1M, and run the command again.";
  if (blockBytes % sector != 0 || startOffset == 0)
    text += L"the block size, " + Grouped(blockBytes) +
            L" bytes, is not a whole number of the disk's sectors, which can be up to 4,096 bytes.";
  else
    text += L"the block size (" + Grouped(blockBytes) + L" bytes) or the resume offset (" +
            Grouped(startOffset) + L" bytes) is not a whole number of the disk's sectors, which "
            L"can be up to 4,096 bytes.";
  return text + L" Use a block size that is a multiple of 4,096 bytes, such as 64K or 1M, and run "
                L"the command again.";
}

}  // namespace modFileIO
