// The byte counts under the completion lines.
#include <algorithm>

#include "console/Con.h"
#include "fileio/format.h"
#include "fileio/modFileIO.h"

namespace modFileIO {
namespace {

// The label, then the number right-aligned so that it ends `width` columns
// after the label. Padding with spaces rather than moving the cursor keeps
// the lines aligned in a redirected output too.
void WriteCount(const std::wstring& label, const std::wstring& number, int width) {
  const int pad = std::max(width - TextColumns(number), 0);
  Con::WriteText(label + std::wstring(static_cast<size_t>(pad), L' ') + number, true);
}

}  // namespace

void PrintSummary(int64_t startOffset, int64_t totalBytes) {
  const std::wstring thousands = UserSeparators().Thousands;
  const std::wstring total = FormatGrouped(totalBytes, thousands);
  if (startOffset <= 0) {
    Con::WriteText(L"Total bytes:   " + total, true);
    return;
  }
  // All three numbers end in one column: that of the longest, so that none
  // reaches into its label.
  const std::wstring initial = FormatGrouped(startOffset, thousands);
  const std::wstring written = FormatGrouped(totalBytes - startOffset, thousands);
  const int width =
      std::max({TextColumns(initial), TextColumns(written), TextColumns(total)});
  WriteCount(L"Initial size:  ", initial, width);
  WriteCount(L"Bytes written: ", written, width);
  WriteCount(L"Total bytes:   ", total, width);
}

}  // namespace modFileIO
