// The one place where what a phase found becomes its lines and its outcome.
#include "fileio/findings.h"

#include "fileio/advice_probes.h"
#include "fileio/copy_job.h"
#include "fileio/messages.h"

namespace modFileIO {
namespace {

// What else is known of a refused open of the destination.
OpenRefusal WhyRefused(const Finding& f, const CopyJob& job) {
  OpenRefusal why;
  if (f.Source) return why;
  why.DeviceName = IsDosDeviceName(job.DestPath);
  if (f.Error == ERROR_ACCESS_DENIED) {
    why.Immutable = ImmutableOrAppendOnly(job.DestAnsi);
    why.HiddenOrSystem = HiddenOrSystem(job.DestPath);
  }
  return why;
}

void ReportOpening(const Finding& f, const CopyJob& job) {
  switch (f.What) {
    case Found::BadBlockSize: return SayBadBlockSize(BufferBytes);
    case Found::DevicePath: return SayDevicePath(f.Source);
    case Found::UnrepresentablePath: return SayUnrepresentablePath(f.Source);
    case Found::OpenFailed: return SayOpenFailed(f.Source, f.Error, WhyRefused(f, job));
    case Found::NotADiskFile: return SayNotADiskFile(f.Source, f.Count);
    case Found::Unmeasurable: return SayUnmeasurable(f.Error);
    case Found::BufferRefused: return SayBufferRefused(f.Count, f.Error);
    case Found::SameFile: return SaySameFile();
    case Found::StandardStream: return SayStandardStream((f.Count & 1) != 0, (f.Count & 2) != 0);
    case Found::MayBeTheSource: return SayMayBeTheSource();
    case Found::DestinationBusy: return SayDestinationBusy();
    case Found::SourceCutByOpen: return SaySourceCutByOpen(f.Expected, f.Actual);
    case Found::DeviceTooSmall: return SayDeviceTooSmall(f.Expected, f.Actual);
    default: return;
  }
}

void ReportResumePoint(const Finding& f, const CopyJob& job) {
  switch (f.What) {
    case Found::ResumeOntoDevice: return SayResumeOntoDevice();
    case Found::LongerDestination: return SayLongerDestination(f.Actual, f.Expected);
    case Found::SeekFailed: return SaySeekFailed(f.Source, f.Error, f.At);
    case Found::CheckReadFailed:
      return SayCheckReadFailed(f.Error, static_cast<int32_t>(job.BlockBytes), f.At,
                                DiskSectorBytes(job.SourcePath));
    case Found::NotAPartialCopy: return SayNotAPartialCopy(f.At, f.Expected);
    case Found::DestUnreadable: return SayDestUnreadable(f.Error);
    case Found::SourceUnreadable: return SaySourceUnreadable(f.Error);
    case Found::SourceNewer: return SaySourceNewer();
    default: return;
  }
}

void ReportRun(const Finding& f, const CopyJob& job) {
  const int32_t block = static_cast<int32_t>(job.BlockBytes);
  switch (f.What) {
    case Found::ReadFailed:
      return SayReadFailed(f.Error, f.At == job.StartOffset, block, job.StartOffset, f.At,
                           DiskSectorBytes(job.SourcePath));
    case Found::ShortRead: return SayShortRead(f.Count, job.BlockBytes, f.At, f.Actual);
    case Found::WriteFailed:
      return SayWriteFailed(f.Count != 0, f.Error, f.Expected == job.StartOffset, block,
                            job.StartOffset, f.At, DiskSectorBytes(job.DestPath),
                            ProcessFileSizeLimit(),
                            f.Error == ERROR_FILE_TOO_LARGE ? FileSystemNameOf(job.DestAnsi)
                                                            : std::wstring());
    case Found::TailOpenFailed: return SayTailOpenFailed(f.Error, f.Count);
    case Found::TailSeekFailed: return SayTailSeekFailed(f.Error, f.Count);
    case Found::FlushFailed: return SayFlushFailed(f.Error);
    case Found::DestinationMoved: return SayDestinationMoved(f.Count);
    default: return;
  }
}

// The end checks and the verify pass.
void ReportEnd(const Finding& f) {
  switch (f.What) {
    case Found::SourceShrank: return SaySourceShrank(f.Expected, f.Actual, f.At);
    case Found::SourceGrew: return SaySourceChanged(false, f.At, f.Actual);
    case Found::SourceWritten: return SaySourceChanged(true, f.At, f.Actual);
    case Found::DestinationResized: return SayDestinationResized(f.At, f.Actual);
    case Found::DestinationCut: return SayDestinationCut(f.At, f.Actual);
    case Found::VerifyUnreadable: return SayVerifyUnreadable(f.Source, f.Error, f.At);
    case Found::VerifyDiffers: return SayVerifyDiffers(f.At, f.Actual);
    default: return;
  }
}

}  // namespace

Finding FindingOf(Found what, bool source) {
  Finding found;
  found.What = what;
  found.Source = source;
  return found;
}

Finding FailedCall(Found what, bool source) {
  Finding found = FindingOf(what, source);
  found.Error = GetLastError();
  return found;
}

void Report(const Finding& found, const CopyJob& job) {
  if (found.What <= Found::DeviceTooSmall)
    ReportOpening(found, job);
  else if (found.What <= Found::SourceNewer)
    ReportResumePoint(found, job);
  else if (found.What <= Found::DestinationMoved)
    ReportRun(found, job);
  else
    ReportEnd(found);
}

CopyOutcome OutcomeOf(const Finding& found) {
  switch (found.What) {
    case Found::Nothing: return CopyCompleted;
    // Memory, a block size or a device that could never hold the copy: no
    // retry as it stands can succeed.
    case Found::BadBlockSize:
    case Found::BufferRefused:
    case Found::DeviceTooSmall: return CopyFailed;
    default: return found.What <= Found::SourceNewer ? CopyNotStarted : CopyFailed;
  }
}

}  // namespace modFileIO
