// Console control handlers on POSIX: the signals a terminal user or the
// system sends become the console's control events. SIGINT is Ctrl+C,
// SIGQUIT (Ctrl+\) Ctrl+Break, SIGHUP the closing of the terminal, SIGTERM
// the system's request to end.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>

#include "platform/platform.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};
constexpr size_t kSlots = 16;

// Registered handlers in the order of registration; the latest is asked
// first. Read inside the signal handler, so lock-free atomics only.
std::atomic<PHANDLER_ROUTINE> Handlers[kSlots];
std::atomic<bool> IgnoreCtrlC{false};
std::once_flag Installed;

DWORD EventFor(int signal) {
  switch (signal) {
    case SIGINT: return CTRL_C_EVENT;
    case SIGQUIT: return CTRL_BREAK_EVENT;
    case SIGHUP: return CTRL_CLOSE_EVENT;
    default: return CTRL_SHUTDOWN_EVENT;
  }
}

void OnSignal(int signal) {
  const int savedErrno = errno;
  if (signal != SIGINT || !IgnoreCtrlC.load()) {
    bool handled = false;
    for (size_t i = kSlots; i-- > 0 && !handled;) {
      const PHANDLER_ROUTINE handler = Handlers[i].load();
      handled = handler && handler(EventFor(signal));
    }
    if (!handled) {
      // No handler claims the event: the process ends as it would have
      // without one (the signal is delivered again once this returns).
      std::signal(signal, SIG_DFL);
      std::raise(signal);
    }
  }
  errno = savedErrno;
}

// A signal the process was started with ignored (nohup, a background job of
// a script) stays ignored: whoever started it asked for that.
void Install() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) sigaddset(&action.sa_mask, signal);
  for (int signal : kSignals) {
    struct sigaction found {};
    if (sigaction(signal, nullptr, &found) == 0 && found.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
  // A write to a pipe whose reader has gone fails with ERROR_BROKEN_PIPE, as
  // on Windows, instead of ending the process in the middle of a copy.
  std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add) {
  std::call_once(Installed, Install);
  if (!HandlerRoutine) {
    IgnoreCtrlC.store(Add != FALSE);
    return TRUE;
  }
  size_t top = kSlots;
  while (top > 0 && !Handlers[top - 1].load()) --top;
  if (Add) {
    if (top == kSlots) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return FALSE;
    }
    Handlers[top].store(HandlerRoutine);
    return TRUE;
  }
  for (size_t i = top; i-- > 0;) {
    if (Handlers[i].load() == HandlerRoutine) {
      Handlers[i].store(nullptr);
      return TRUE;
    }
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
