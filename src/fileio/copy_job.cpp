// A copy job from start to end: each of StartCopy, ResumeCopy and CopyBlocks
// is the sequence of its phases, and whatever a phase found ends the road
// there with its lines.
#include "fileio/copy_job.h"

#include "platform/textconv.h"

namespace modFileIO {

int32_t BufferBytes = 0;

namespace {

CopyJob NewJob(const std::wstring& source, const std::wstring& dest, bool resume, bool verify) {
  CopyJob job;
  job.Resume = resume;
  job.Verify = verify;
  job.SourcePath = source;
  job.DestPath = dest;
  return job;
}

CopyOutcome Refused(const CopyJob& job, const Finding& found) {
  Report(found, job);
  return OutcomeOf(found);
}

// Run, check the end, finish: the road of a job that is open, checked and
// positioned.
CopyOutcome RunToTheEnd(CopyJob& job) {
  Finding found;
  switch (RunBlocks(job, found)) {
    case LoopEnd::Stopped: return StoppedEnding(job);
    case LoopEnd::Failed: return FailedEnding(job, found);
    case LoopEnd::ReachedEnd: break;
  }
  found = CheckEnd(job);
  if (None(found)) found = SealCopy(job);
  if (None(found) && job.Verify && VerifyCopy(job, found) == LoopEnd::Stopped)
    return UnverifiedEnding(job);
  return None(found) ? CompletedEnding(job) : FailedEnding(job, found);
}

// The road's end for a job whatever it found on the way, every handle closed.
CopyOutcome Conclude(CopyJob& job, const Finding& found) {
  const CopyOutcome outcome = None(found) ? RunToTheEnd(job) : Refused(job, found);
  CloseJob(job);
  return outcome;
}

}  // namespace

CopyOutcome StartCopy(const std::wstring& source, const std::wstring& dest, bool verify) {
  CopyJob job = NewJob(source, dest, false, verify);
  Finding found = OpenJob(job);
  if (None(found)) found = CheckFits(job);
  return Conclude(job, found);
}

CopyOutcome ResumeCopy(const std::wstring& source, const std::wstring& dest, bool verify) {
  CopyJob job = NewJob(source, dest, true, verify);
  Finding found = OpenJob(job);
  if (None(found)) found = PositionForResume(job);
  return Conclude(job, found);
}

// The loop over two handles someone else opened and positioned: their facts
// are taken here, and neither is closed.
CopyOutcome CopyBlocks(HANDLE source, HANDLE dest, const std::wstring& sourcePath,
                       const std::wstring& destPath, int64_t startOffset) {
  CopyJob job = NewJob(sourcePath, destPath, startOffset > 0, false);
  Finding found = CheckBlockSize(job);
  if (None(found)) {
    job.Source = source;
    job.Dest = dest;
    job.SourceFacts = FactsOf(source);
    job.DestFacts = FactsOf(dest);
    job.StartOffset = job.TotalBytes = startOffset;
    // Inexact names stay empty: nothing opens by them.
    if (!PathToAnsi(sourcePath, job.SourceAnsi)) job.SourceAnsi.clear();
    if (!PathToAnsi(destPath, job.DestAnsi)) job.DestAnsi.clear();
    found = ReserveBuffer(job);
  }
  const CopyOutcome outcome = None(found) ? RunToTheEnd(job) : Refused(job, found);
  ReleaseBuffer(job);
  return outcome;
}

}  // namespace modFileIO
