// Placeholder for the progress box and the summary.
#include "fileio/modFileIO.h"

namespace modFileIO {
void DrawBoxLine(int16_t, const std::wstring&, const std::wstring&, int32_t, int32_t, int32_t,
                 int32_t) {}
void PaintProgress(int16_t, int16_t, const std::wstring&, const std::wstring&, int64_t, int64_t,
                   const SYSTEMTIME&) {}
void RefreshProgress(int16_t, int16_t, int64_t, int64_t, int64_t, const SYSTEMTIME&) {}
void PrintSummary(int64_t, int64_t) {}
}  // namespace modFileIO
