// The block size the copy loop works with.
#include "console/Con.h"
#include "driver/modMain.h"
#include "driver/number.h"
#include "fileio/modFileIO.h"

namespace modMain {

namespace {

const wchar_t kAcceptedRange[] =
    L" Give a number from 1 to 32767 followed by B or K, or from 1 to 2047 followed by M"
    L" (1B..2047M).";

std::wstring BlockSizeProblem(BlockSizeVerdict verdict, const std::wstring& bufsize) {
  const std::wstring quoted = L"\"" + bufsize + L"\"";
  switch (verdict) {
    case BlockSizeOverflow:
      return L"Overflow: the block size " + quoted + L" is out of range." + kAcceptedRange;
    case BlockSizeNotPositive:
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
    Con::WriteText(BlockSizeProblem(verdict, bufsize), true);
    return false;
  }
  modFileIO::BufferBytes = bytes;
  return true;
}

}  // namespace modMain
