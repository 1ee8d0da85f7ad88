// Console input on a terminal: the Win32 input modes over termios.
#include <cerrno>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/console_handles.h"
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

// A key's escape sequence (an arrow, a function key) arrives as several
// bytes in quick succession; the rest of one is awaited this long.
constexpr int kSequenceMs = 50;

// Whether more of a key's bytes arrive on `fd` within kSequenceMs.
bool MoreArrives(int fd) {
  pollfd wait{fd, POLLIN, 0};
  return ::poll(&wait, 1, kSequenceMs) > 0;
}

// Reads the rest of an escape sequence whose ESC is already read, so that the
// key is taken whole: ESC [ or ESC O, then parameters up to a final byte.
void SwallowSequence(int fd) {
  char byte = 0;
  if (!MoreArrives(fd) || ::read(fd, &byte, 1) != 1) return;
  if (byte != '[' && byte != 'O') return;  // Alt and a key: two bytes in all
  const bool csi = byte == '[';
  while (MoreArrives(fd) && ::read(fd, &byte, 1) == 1) {
    const auto c = static_cast<unsigned char>(byte);
    if (!csi || (c >= 0x40 && c <= 0x7E)) return;
  }
}

class TerminalInput;
TerminalInput* Live = nullptr;  // the process's one terminal input, once made

// Processed input is ISIG (Ctrl+C, Ctrl+\ become signals), line input ICANON,
// echo ECHO; every other terminal setting stays as the terminal had it.
// A Windows console echoes and edits a line only while a read is pending:
// keys typed meanwhile wait unseen. So once the program has set a mode, line
// input and echo are on only during a read, and the terminal gets its full
// mode back (without losing type-ahead) when the handle closes.
class TerminalInput : public ConsoleInput {
 public:
  explicit TerminalInput(int descriptor) : ConsoleInput(descriptor) {
    foundKnown_ = ::tcgetattr(descriptor, &found_) == 0;
    if (foundKnown_) mode_ = ModeOf(found_);
    Live = this;
  }

  BOOL GetMode(DWORD& mode) override {
    termios now{};
    if (::tcgetattr(fd, &now) != 0) return FailFromErrno();
    mode = set_ ? mode_ : ModeOf(now);
    return TRUE;
  }

  BOOL SetMode(DWORD mode) override {
    // As on Windows, echo needs line input.
    if ((mode & ENABLE_ECHO_INPUT) && !(mode & ENABLE_LINE_INPUT)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (!MayChange(fd)) return FALSE;
    mode_ = mode;
    set_ = true;
    return Apply(false);
  }

  BOOL Flush() override {
    if (!MayChange(fd)) return FALSE;
    return ::tcflush(fd, TCIFLUSH) == 0 ? TRUE : FailFromErrno();
  }

  BOOL ReadChars(char* buffer, DWORD size, DWORD& done) override {
    done = 0;
    if (size == 0) return TRUE;
    if (set_ && MayChange(fd)) Apply(true);
    const BOOL ok = PosixHandle::Read(buffer, size, &done);
    if (ok && done == 1 && buffer[0] == '\x1b' && !(mode_ & ENABLE_LINE_INPUT)) SwallowSequence(fd);
    if (set_ && MayChange(fd)) Apply(false);
    return ok;
  }

  BOOL Close() override {
    if (Open() && set_ && MayChange(fd)) Apply(true);
    return ConsoleInput::Close();
  }

  // After the job was stopped and continued, the shell may have left its own
  // modes on the terminal.
  void Reapply() {
    if (set_ && !closed && MayChange(fd)) Apply(false);
  }

 private:
  static DWORD ModeOf(const termios& now) {
    return ((now.c_lflag & ISIG) ? ENABLE_PROCESSED_INPUT : 0) |
           ((now.c_lflag & ICANON) ? ENABLE_LINE_INPUT : 0) |
           ((now.c_lflag & ECHO) ? ENABLE_ECHO_INPUT : 0);
  }

  // The mode as the terminal should hold it: in full while `reading`, else
  // without line input and echo. TCSANOW: nothing typed ahead is lost.
  BOOL Apply(bool reading) {
    termios next{};
    if (::tcgetattr(fd, &next) != 0) return FailFromErrno();
    const bool line = reading && (mode_ & ENABLE_LINE_INPUT);
    Switch(next.c_lflag, ISIG, mode_ & ENABLE_PROCESSED_INPUT);
    Switch(next.c_lflag, ICANON, line);
    Switch(next.c_lflag, ECHO, line && (mode_ & ENABLE_ECHO_INPUT));
    if (!line) {
      // A read returns as soon as one key is there.
      next.c_cc[VMIN] = 1;
      next.c_cc[VTIME] = 0;
    } else if (foundKnown_ && (found_.c_lflag & ICANON)) {
      next.c_cc[VMIN] = found_.c_cc[VMIN];
      next.c_cc[VTIME] = found_.c_cc[VTIME];
    }
    return ::tcsetattr(fd, TCSANOW, &next) == 0 ? TRUE : FailFromErrno();
  }

  termios found_{};
  bool foundKnown_ = false;
  DWORD mode_ = 0;
  bool set_ = false;  // the program has set a mode
};

}  // namespace

ConsoleInput* NewTerminalInput(int fd) { return new TerminalInput(fd); }

void ReapplyInputModes() {
  if (Live) Live->Reapply();
}
