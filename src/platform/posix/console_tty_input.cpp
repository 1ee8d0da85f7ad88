// Console input on a terminal: the Win32 input modes over termios.
#include <cerrno>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/screen_handles.h"
#include "platform/posix/screen_terminal.h"

namespace {

// Changing a terminal's settings from the background would stop the process
// (SIGTTOU); the console call fails instead.
bool MayChange(int fd) {
  if (InForeground(fd)) return true;
  SetLastError(ERROR_ACCESS_DENIED);
  return false;
}

BOOL FailFromErrno() {
  SetLastErrorFromErrno(errno);
  return FALSE;
}

void Switch(tcflag_t& flags, tcflag_t bit, bool on) {
  flags = on ? (flags | bit) : (flags & ~bit);
}

// Processed input is ISIG (Ctrl+C, Ctrl+\ become signals), line input ICANON,
// echo ECHO; every other terminal setting stays as the terminal had it.
class TerminalInput : public ConsoleInput {
 public:
  explicit TerminalInput(int descriptor) : ConsoleInput(descriptor) {
    foundKnown_ = ::tcgetattr(descriptor, &found_) == 0;
  }

  BOOL GetMode(DWORD& mode) override {
    termios now{};
    if (::tcgetattr(fd, &now) != 0) return FailFromErrno();
    mode = ((now.c_lflag & ISIG) ? ENABLE_PROCESSED_INPUT : 0) |
           ((now.c_lflag & ICANON) ? ENABLE_LINE_INPUT : 0) |
           ((now.c_lflag & ECHO) ? ENABLE_ECHO_INPUT : 0);
    return TRUE;
  }

  BOOL SetMode(DWORD mode) override {
    // As on Windows, echo needs line input.
    if ((mode & ENABLE_ECHO_INPUT) && !(mode & ENABLE_LINE_INPUT)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (!MayChange(fd)) return FALSE;
    termios next{};
    if (::tcgetattr(fd, &next) != 0) return FailFromErrno();
    Switch(next.c_lflag, ISIG, mode & ENABLE_PROCESSED_INPUT);
    Switch(next.c_lflag, ICANON, mode & ENABLE_LINE_INPUT);
    Switch(next.c_lflag, ECHO, mode & ENABLE_ECHO_INPUT);
    if (!(mode & ENABLE_LINE_INPUT)) {
      // A read returns as soon as one key is there.
      next.c_cc[VMIN] = 1;
      next.c_cc[VTIME] = 0;
    } else if (foundKnown_ && (found_.c_lflag & ICANON)) {
      next.c_cc[VMIN] = found_.c_cc[VMIN];
      next.c_cc[VTIME] = found_.c_cc[VTIME];
    }
    return ::tcsetattr(fd, TCSANOW, &next) == 0 ? TRUE : FailFromErrno();
  }

  BOOL Flush() override {
    if (!MayChange(fd)) return FALSE;
    return ::tcflush(fd, TCIFLUSH) == 0 ? TRUE : FailFromErrno();
  }

  BOOL ReadChars(char* buffer, DWORD size, DWORD& done) override {
    done = 0;
    return size == 0 ? TRUE : PosixHandle::Read(buffer, size, &done);
  }

 private:
  termios found_{};
  bool foundKnown_ = false;
};

}  // namespace

ConsoleInput* NewTerminalInput(int fd) { return new TerminalInput(fd); }
