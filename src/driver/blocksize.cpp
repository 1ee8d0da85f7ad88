// The block size the copy loop works with.
#include "driver/modMain.h"
#include "driver/number.h"
#include "fileio/modFileIO.h"

namespace modMain {

namespace {

const wchar_t kAcceptedRange[] =
    L" Give a number from 1 to 32767 followed by B or K, or from 1 to 2047 followed by M"
    L" (1B..2047M).";

// A number above zero whose nearest whole number is 0, such as 0.5 or 0.4.
bool RoundsToZero(const std::wstring& bufsize) {
  const std::wstring number = bufsize.substr(0, bufsize.size() - 1);
  const std::wstring mantissa = number.substr(0, number.find_first_of(L"Ee"));
  return mantissa.find(L'-') == std::wstring::npos &&
         mantissa.find_first_of(L"123456789") != std::wstring::npos;
}

std::wstring BlockSizeProblem(BlockSizeVerdict verdict, const std::wstring& bufsize) {
  const std::wstring quoted = L"\"" + bufsize + L"\"";
  switch (verdict) {
    case BlockSizeOverflow:
      return L"Overflow: the block size " + quoted + L" is out of range." + kAcceptedRange;
    case BlockSizeNotPositive:
      if (RoundsToZero(bufsize))
        return L"The block size " + quoted +
               L" rounds to 0 (a fraction goes to the nearest whole number), so it can't size a "
               L"buffer." + kAcceptedRange;
      return L"The block size " + quoted + L" is not above zero, so it can't size a buffer." +
             kAcceptedRange;
    case BlockSizeNotSize:
    case BlockSizeOk:
      break;
  }
  return L"The block size " + quoted + L" is not a number followed by B, K or M." + kAcceptedRange;
}

}  // namespace

bool SetBufferBytes(const std::wstring& bufsize) {
  int32_t bytes = 0;
  const BlockSizeVerdict verdict = ConvertBlockSize(bufsize, UserDecimalSeparator(), bytes);
  if (verdict != BlockSizeOk) {
    modFileIO::WriteWrapped(BlockSizeProblem(verdict, bufsize));
    return false;
  }
  modFileIO::BufferBytes = bytes;
  return true;
}

}  // namespace modMain
