// modFileIO: the copy engine. Opens a fresh or a resumed copy job, moves the
// source to the destination in unbuffered blocks, and shows the progress box
// and the closing summary. Sizes, offsets and byte counts are 64-bit byte
// counts throughout.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace modFileIO {

// Block size in bytes; 0 until the driver sets it from the command line.
extern int32_t BufferBytes;

// How a copy job ended, for the driver's exit code.
enum CopyOutcome {
  CopyCompleted,   // every byte of the source is in the destination
  CopyNotStarted,  // nothing was copied: a file could not be opened or positioned
  CopyFailed,      // a read, write or flush failed part-way
  CopyStopped      // the user pressed Ctrl+C / Ctrl+Break (or a stop signal came)
};

// ---- 64-bit sizes -----------------------------------------------------------

// Size of an open file in bytes.
int64_t GetFileSize64(HANDLE file);
// high * 2^32 + low.
int64_t HalvesToSize(uint32_t low, int32_t high);
// The inverse of HalvesToSize.
void SizeToHalves(int64_t size, uint32_t& low, int32_t& high);
// SetFilePointer with a 64-bit distance; true when the move was made.
bool SetFilePointer64(HANDLE file, int64_t distance, DWORD method);

// ---- Copy jobs --------------------------------------------------------------

// Writes one message line (CR LF after it); on a console a line longer than
// the window is broken at word boundaries. Redirected output gets it whole.
void WriteWrapped(const std::wstring& text);

// Copies source over a truncated or new destination. Closes what it opened on
// every path and reports each failure as one line on standard output. With
// `verify`, the copy is read back from the disk and compared before it is
// called completed.
CopyOutcome StartCopy(const std::wstring& source, const std::wstring& dest, bool verify = false);
// Continues an interrupted copy: appends the source from the destination's
// current size on. With `verify`, the whole copy is read back and compared.
CopyOutcome ResumeCopy(const std::wstring& source, const std::wstring& dest,
                       bool verify = false);
// The block loop over two open, positioned unbuffered handles; closes neither.
CopyOutcome CopyBlocks(HANDLE source, HANDLE dest, const std::wstring& sourcePath,
                       const std::wstring& destPath, int64_t startOffset);

// ---- Progress screen --------------------------------------------------------

// The kinds of line of the box.
enum BoxLineKind : int32_t { FieldLine, TopBorder, Divider, BottomBorder };
// One line of the box at `row`, of one of those kinds (other values draw
// nothing).
void DrawBoxLine(int16_t row, const std::wstring& label, const std::wstring& value,
                 int32_t labelColour, int32_t valueColour, int32_t frameColour, int32_t kind);
// Paints the sixteen-row box from (boxLeftCol, boxTopRow) and leaves the
// cursor at column 0 of row boxTopRow + 16, light green. Where standard output
// is no console or the window is too narrow or too short, draws no box and
// reserves no rows: it writes one line naming the copy (source, destination,
// size, first offset and start time), and later refreshes write occasional
// plain progress lines instead, from a clean line.
void PaintProgress(int16_t boxTopRow, int16_t boxLeftCol, const std::wstring& sourcePath,
                   const std::wstring& destPath, int64_t startOffset, int64_t sourceSize,
                   const SYSTEMTIME& startTime);
// Rewrites the changing fields (size, percentage, times, rate) where the
// paint put them, or moved them since. Durations come from the tick that the
// paint started, not from the wall clock.
void RefreshProgress(int64_t startOffset, int64_t sourceSize, int64_t totalBytes);
// The box (or the plain lines) shows that the copy is being read back and
// compared: from here on the percentage and rate are the verify pass's.
void BeginVerifyProgress(int64_t totalBytes);
// The verify pass has compared `verifiedBytes` of `totalBytes`; shown by the
// same cadence rules as the copy (called after every block, it decides
// itself whether to redraw).
void RefreshVerifyProgress(int64_t verifiedBytes);
// The row under what the progress shows (the box, or the last plain line): a
// clean line, where the cursor goes after each refresh and before an ending.
int16_t RowUnderProgress();
// True when a plain progress line is due now (plain lines only, never the
// box): the copy loop asks after every block, at the cost of one tick read.
bool ProgressLineDue();
// The byte-count lines after "File copy completed!".
void PrintSummary(int64_t startOffset, int64_t totalBytes);

// ---- Clock ------------------------------------------------------------------

// The local date and time as the progress screen sees it.
void CurrentLocalTime(SYSTEMTIME& now);
// Milliseconds of a steady clock that wraps like GetTickCount (monotonic: a
// step of the wall clock doesn't move it); every duration the progress shows
// comes from it.
DWORD CurrentTickCount();

}  // namespace modFileIO
