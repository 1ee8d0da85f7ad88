// How a copy ends: stopped by the user, completed, or failed, each with its
// lines; and the seal a complete copy gets before it is read back or called
// completed.
#include "console/Con.h"
#include "fileio/copy_job.h"
#include "fileio/file_calls.h"
#include "fileio/messages.h"

namespace modFileIO {
namespace {

Finding FlushDestination(const CopyJob& job) {
  if (FilePlatform.FlushFileBuffers(job.Dest)) return Finding();
  return FailedCall(Found::FlushFailed);
}

// Backup tools compare sizes and times: a copy stamped with the time it was
// made would be taken for a changed file and copied again. Set before the
// final flush, so that the date is as durable as the bytes it vouches for.
void KeepSourceTime(const CopyJob& job) {
  FILETIME lastWrite;
  if (FilePlatform.GetFileTime(job.Source, nullptr, nullptr, &lastWrite) &&
      FilePlatform.SetFileTime(job.Dest, nullptr, nullptr, &lastWrite))
    return;
  SayTimeNotKept(GetLastError());
}

// "[BREAK] User halt." under the progress, in light magenta.
void SayUserHalt() {
  Con::SetCursorRow(RowUnderProgress());
  Con::SetForeColor(Con::LightMagenta);
  EngineLine(L"[BREAK] User halt.");
  Con::SetForeColor(Con::LightGreen);
}

}  // namespace

CopyOutcome StoppedEnding(CopyJob& job) {
  SayUserHalt();
  // A later /R continues from the destination's size: make that data real.
  const Finding found = FlushDestination(job);
  if (!None(found)) return FailedEnding(job, found);
  SayBreak(job.TotalBytes);
  return CopyStopped;
}

Finding SealCopy(const CopyJob& job) {
  KeepSourceTime(job);
  return FlushDestination(job);
}

// The copy is whole, dated and flushed; what was stopped is the reading back.
CopyOutcome UnverifiedEnding(const CopyJob& job) {
  SayUserHalt();
  SayVerifyStopped(job.TotalBytes);
  return CopyStopped;
}

CopyOutcome CompletedEnding(const CopyJob& job) {
  Con::SetForeColor(Con::LightCyan);
  EngineLine(L"File copy completed!");
  EngineLine(job.DestPath + L" written");
  PrintSummary(job.StartOffset, job.TotalBytes);
  if (job.Verify) SayVerified(job.TotalBytes);
  Con::SetForeColor(Con::LightGreen);
  return CopyCompleted;
}

CopyOutcome FailedEnding(const CopyJob& job, const Finding& found) {
  Report(found, job);
  return OutcomeOf(found);
}

}  // namespace modFileIO
