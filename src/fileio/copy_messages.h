// The lines the copy engine writes: the fixed failure lines and, after them,
// a line that says what happened and what to do. Private to src/fileio/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace modFileIO {

// Writes one line to standard output (followed by CR LF) in the current
// colour, and hands it to the listener, if one is set (see testing.h).
void EngineLine(const std::wstring& text);
// The paths of the running copy, for the advice that needs to know their disks.
void SetCopyPaths(const std::wstring& source, const std::wstring& dest);
// The logical sector size of the disk that holds `path`, 0 when unknown.
DWORD DiskSectorBytes(const std::wstring& path);

// A path CreateFileA can't be given exactly: "Could not open source file" (or
// destination) and why.
void ReportUnrepresentablePath(bool isSource);
// "Could not open source file" (or destination) and why, from the error of
// the failed CreateFileA; nothing was copied.
void ReportOpenFailure(bool isSource, DWORD error);
// Source and destination name one file: nothing may be opened for writing.
void ReportSameFile();
// The destination is longer than the source, so /R can't continue it.
void ReportLongerDestination(int64_t destSize, int64_t sourceSize);
// The size of the source or the destination could not be read.
void ReportMeasureFailure(DWORD error);
// After "Could not seek to offset in source/destination file": why the move
// failed, and whether the resume offset is no whole number of sectors.
void ReportSeekFailure(DWORD error, int64_t offset);
// A block size of zero or less.
void ReportBadBlockSize(int32_t blockBytes);
// The block buffer could not be allocated.
void ReportBufferFailure(int32_t blockBytes, DWORD error);
// A failed read of the source by /R's check, before anything was written.
void ReportCheckReadFailure(DWORD error, int32_t blockBytes, int64_t startOffset);
// "ReadFile returned 0??" and what the error means. `firstRead` is true when
// nothing was read yet in this run, when error 87 points at the sector rule.
void ReportReadFailure(DWORD error, bool firstRead, int32_t blockBytes, int64_t startOffset,
                       int64_t totalBytes);
// A read gave `got` of `blockBytes` bytes at byte `totalBytes`, short of the
// source's end at `sourceSize`: a read cut short, which is a failed read.
void ReportShortRead(DWORD got, DWORD blockBytes, int64_t totalBytes, int64_t sourceSize);
// "[buffered ]Write file returned 0, getlasterror is N" and what to do;
// `totalBytes` is what the destination holds.
void ReportWriteFailure(bool buffered, DWORD error, bool firstWrite, int32_t blockBytes,
                        int64_t startOffset, int64_t totalBytes);
// After "[BREAK] User halt.": what the destination holds and how to go on.
void ReportBreak(int64_t totalBytes);
// The copy is complete but the destination could not take the source's
// last-write time.
void ReportTimeNotKept(DWORD error);
// "Could not open buffered destination file" and the bytes left unwritten.
void ReportTailOpenFailure(DWORD error, DWORD tailBytes);
// The tail handle could not be moved to the end of the destination.
void ReportTailSeekFailure(DWORD error, DWORD tailBytes);
// A flush that did not reach the disk: the copy can't be trusted.
void ReportFlushFailure(DWORD error);
// The destination's `windowBytes` bytes from `windowStart` on differ from the
// source's: it is no partial copy of this source, and /R must not append.
void ReportNotAPartialCopy(int64_t windowStart, int64_t windowBytes);
// The destination could not be read back to check it before a resumed copy.
void ReportResumeCheckFailure(DWORD error);

// The source or the destination is no file or disk (GetFileType `type`): a
// pipe, FIFO, socket, character device or console, or a file the system makes
// up as it is read. Nothing was copied.
void ReportNotADiskFile(bool isSource, DWORD type);
// A disk or volume named by its device path (\\.\...), which is refused.
void ReportDevicePath(bool isSource);
// Another blkcopy holds the destination's lock.
void ReportDestinationBusy();
// The destination is a device smaller than the source; nothing was written.
void ReportDeviceTooSmall(int64_t sourceSize, int64_t deviceSize);
// /R onto a device, whose size says nothing of how much was copied.
void ReportResumeOntoDevice();
// The destination path no longer reaches the file being written: the last
// `tailBytes` bytes were not written anywhere.
void ReportDestinationMoved(DWORD tailBytes);
// The source is now shorter (`now`) than what was copied of it (`copied`).
void ReportSourceShrank(int64_t atStart, int64_t now, int64_t copied);
// The source could not be opened again to check a finished copy.
void ReportSourceRecheckFailure(DWORD error);

// Another program changed the source during the copy: it now has `now` bytes
// where `copied` were copied, or (`written`) its size stayed and its
// last-write time moved.
void ReportSourceChanged(bool written, int64_t copied, int64_t now);
// Another program changed the destination during the copy: it has `now`
// bytes where `copied` were written.
void ReportDestinationChanged(int64_t copied, int64_t now);
// The destination holds no data from `holeStart` to `holeEnd`, where the
// source has some: another program cut it and the copy's next write
// extended it again.
void ReportDestinationCut(int64_t holeStart, int64_t holeEnd);
// The destination is the file that standard output (`output`) and/or
// standard error (`error`) write to. The lines go to a stream that is not the
// destination, or nowhere.
void ReportDestinationIsStandardStream(bool output, bool error);
// The destination has the source's size, times and first bytes: the source
// reached by another path (a bind mount, an overlay's upper folder).
void ReportMayBeTheSource();
// The source got shorter (`before` to `now` bytes) when the destination was
// opened: the destination is the source under another path.
void ReportSourceCutByOpen(int64_t before, int64_t now);
// /R: the source was written after the destination's last write.
void ReportSourceNewerThanCopy();

}  // namespace modFileIO
