// The program's run from console set-up to restore.
#include "console/Con.h"
#include "driver/modMain.h"
#include "fileio/modFileIO.h"
#include "platform/platform.h"

namespace modMain {
namespace {

const int32_t WorkingFore = Con::LightGreen;
const int32_t WorkingBack = Con::Black;

int ExitCodeFor(modFileIO::CopyOutcome outcome) {
  switch (outcome) {
    case modFileIO::CopyCompleted: return ExitCompleted;
    case modFileIO::CopyNotStarted: return ExitNotStarted;
    case modFileIO::CopyStopped: return ExitStopped;
    case modFileIO::CopyFailed: break;
  }
  return ExitFailed;
}

// Everything between saving and restoring the console: the command line, then
// the copy or the usage box. Returns the exit code.
int RunCommandLine() {
  std::wstring text;
  std::wstring problem;
  if (!GetArgumentText(text, problem)) {
    modFileIO::WriteWrapped(problem);
    return ExitBadCommandLine;
  }
  const CopyParams p = ParseCopyParams(SplitCommandLine(text, true));
  if (p.Asked == RequestHelp) {
    ShowUsage(false);
    return ExitCompleted;
  }
  if (p.Asked == RequestVersion) {
    ShowVersion();
    return ExitCompleted;
  }
  if (!p.Valid) {
    ShowUsage(true);
    return ExitBadCommandLine;
  }
  // Both refusals come before any file is opened, so nothing is truncated.
  if (!PathsUsable(p) || !SetBufferBytes(p.Bufsize)) return ExitBadCommandLine;
  return ExitCodeFor(p.Resume ? modFileIO::ResumeCopy(p.Source, p.Dest, p.Verify)
                              : modFileIO::StartCopy(p.Source, p.Dest, p.Verify));
}

}  // namespace

int Main() {
  Con::Initialize();
  const int32_t savedBack = Con::GetBackColor();
  const int32_t savedFore = Con::GetForeColor();
  const std::wstring savedTitle = Con::GetTitle();
  Con::SaveFont();
  Con::SetForeColor(WorkingFore);
  Con::SetBackColor(WorkingBack);

  const int code = RunCommandLine();

  Con::SetBackColor(savedBack);
  Con::SetForeColor(savedFore);
  // Only a title that changed is written back: a console that can't read its
  // terminal's title (Wine's, in a terminal window) reports an empty one, and
  // writing that back would wipe the title the terminal had.
  if (Con::GetTitle() != savedTitle) Con::SetTitle(savedTitle);
  Con::RestoreFont();
  Con::SetExitCode(code);
  return code;
}

}  // namespace modMain
