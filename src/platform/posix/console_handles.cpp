// The standard handles of the process and the terminal's console session.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/console_handles.h"
#include "platform/posix/screen_terminal.h"

namespace {

// Started with standard input, output or error closed (`<&- >&-`, a daemon),
// the first files the program opens would get descriptors 0, 1 and 2, and its
// own lines would be written into the destination. A closed one is opened on
// /dev/null first, as Unix tools do; this runs before any other constructor
// of the program, so before anything else opens a file.
__attribute__((constructor(101))) void OpenClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) continue;
    const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened < 0) ::_exit(2);  // refused: anything written could land in a file
    if (opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

}  // namespace

BOOL StdHandle::Read(void* buffer, DWORD size, DWORD* done) {
  if (done) *done = 0;
  return Open() ? PosixHandle::Read(buffer, size, done) : FALSE;
}

// Standard output and error going to a file or a pipe end their lines with
// LF alone, as Unix logs and tools expect: the CR LF of the program's line
// ends is a console's, and only the console needs it. A lone CR stays.
BOOL StdHandle::Write(const void* buffer, DWORD size, DWORD* done) {
  if (done) *done = 0;
  if (!Open()) return FALSE;
  const char* bytes = static_cast<const char*>(buffer);
  if ((fd != 1 && fd != 2) || !bytes || !std::memchr(bytes, '\r', size))
    return PosixHandle::Write(buffer, size, done);
  std::string lines;
  lines.reserve(size);
  for (DWORD i = 0; i < size; ++i)
    if (!(bytes[i] == '\r' && i + 1 < size && bytes[i + 1] == '\n')) lines += bytes[i];
  DWORD written = 0;
  const BOOL ok = PosixHandle::Write(lines.data(), static_cast<DWORD>(lines.size()), &written);
  if (done) *done = ok && written == lines.size() ? size : written;
  return ok;
}

BOOL StdHandle::Close() {
  if (!Open()) return FALSE;
  closed = true;
  return TRUE;
}

bool StdHandle::Open() const {
  if (closed) SetLastError(ERROR_INVALID_HANDLE);
  return !closed;
}

BOOL ConsoleOutput::Write(const void* buffer, DWORD size, DWORD* done) {
  if (done) *done = 0;
  if (!Open() || !screen.Write(static_cast<const char*>(buffer), size)) return FALSE;
  if (done) *done = size;
  return TRUE;
}

BOOL ConsoleOutput::Close() {
  if (Open()) {
    screen.HandBack();
    screen.Commit();
  }
  return StdHandle::Close();
}

BOOL ConsoleInput::Read(void* buffer, DWORD size, DWORD* done) {
  DWORD got = 0;
  const BOOL ok = Open() && ReadChars(static_cast<char*>(buffer), size, got);
  if (done) *done = got;
  return ok;
}

ConsoleSession::~ConsoleSession() = default;

DWORD CopyTitle(const std::string& title, char* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  const size_t count = std::min<size_t>(title.size(), size - 1);
  title.copy(buffer, count);
  buffer[count] = '\0';
  return static_cast<DWORD>(count);
}

namespace {

bool IsTerminal(int fd) { return ::isatty(fd) == 1; }

// A terminal that can show a screen: colours, cursor moves, a title. A dumb
// terminal (TERM=dumb: an editor's shell buffer, a build log's pager) is a
// plain stream, as ninja and most tools take it: its output gets what a file
// gets, plain lines and no escape sequences.
bool IsScreenTerminal(int fd) {
  const char* term = std::getenv("TERM");
  return IsTerminal(fd) && !(term && std::strcmp(term, "dumb") == 0);
}

bool SameTerminal(int a, int b) {
  struct stat first {};
  struct stat second {};
  return ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0 && S_ISCHR(first.st_mode) &&
         first.st_rdev == second.st_rdev;
}

// The title bytes a terminal may be sent: no control characters (C0, DEL, and
// C1 in its UTF-8 form), which could end the title sequence or start another.
std::string PrintableTitle(const std::string& title) {
  std::string printable;
  for (size_t i = 0; i < title.size(); ++i) {
    const auto byte = static_cast<unsigned char>(title[i]);
    if (byte < 0x20 || byte == 0x7F) continue;
    if (byte == 0xC2 && i + 1 < title.size() && (static_cast<unsigned char>(title[i + 1]) & 0xE0) == 0x80) {
      ++i;
      continue;
    }
    printable += title[i];
  }
  return printable;
}

// The process's own terminal. Standard output and standard error on the same
// terminal share one screen, as two handles of one Windows console do.
class TerminalSession : public ConsoleSession {
 public:
  TerminalSession() {
    if (IsScreenTerminal(1)) outScreen_ = std::make_unique<TerminalScreen>(1);
    TerminalScreen* errScreen = nullptr;
    if (IsScreenTerminal(2) && outScreen_ && SameTerminal(1, 2)) {
      errScreen = outScreen_.get();
    } else if (IsScreenTerminal(2)) {
      errScreen_ = std::make_unique<TerminalScreen>(2);
      errScreen = errScreen_.get();
    }
    out_.reset(OutputHandle(1, outScreen_.get()));
    err_.reset(OutputHandle(2, errScreen));
    in_.reset(IsTerminal(0) ? static_cast<PosixHandle*>(NewTerminalInput(0)) : new StdHandle(0));
  }

  PosixHandle* Std(DWORD which) override {
    if (which == STD_INPUT_HANDLE) return in_.get();
    return which == STD_OUTPUT_HANDLE ? out_.get() : err_.get();
  }

  DWORD GetTitle(char* buffer, DWORD size) override {
    if (!TitleScreen()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    return CopyTitle(title_, buffer, size);
  }

  // A terminal's title can't be read back, so the user's title is pushed on
  // the terminal's title stack before the first change and popped when the
  // program gives back the title it found (empty, as GetTitle reported it).
  BOOL SetTitle(const char* title) override {
    TerminalScreen* screen = TitleScreen();
    if (!screen) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    std::string sequence;
    if (*title == '\0') {
      if (pushed_) sequence = "\x1b[23;0t";
      pushed_ = false;
    } else {
      if (!pushed_) sequence = "\x1b[22;0t";
      pushed_ = true;
      sequence += "\x1b]0;" + PrintableTitle(title) + "\x07";
    }
    title_ = title;
    return sequence.empty() || screen->Send(sequence);
  }

 private:
  static PosixHandle* OutputHandle(int fd, TerminalScreen* screen) {
    if (screen) return new ConsoleOutput(fd, *screen);
    return new StdHandle(fd);
  }
  TerminalScreen* TitleScreen() const { return outScreen_ ? outScreen_.get() : errScreen_.get(); }

  std::unique_ptr<TerminalScreen> outScreen_;
  std::unique_ptr<TerminalScreen> errScreen_;
  std::unique_ptr<PosixHandle> in_;
  std::unique_ptr<PosixHandle> out_;
  std::unique_ptr<PosixHandle> err_;
  std::string title_;
  bool pushed_ = false;
};

std::atomic<ConsoleSession*> Bound{nullptr};

}  // namespace

ConsoleSession& CurrentSession() {
  if (ConsoleSession* session = Bound.load()) return *session;
  // Never destroyed: the console's teardown runs at process exit and still
  // needs its handles then.
  static TerminalSession* terminal = new TerminalSession();
  return *terminal;
}

void BindSession(ConsoleSession* session) { Bound.store(session); }

HANDLE WINAPI GetStdHandle(DWORD nStdHandle) {
  if (nStdHandle != STD_INPUT_HANDLE && nStdHandle != STD_OUTPUT_HANDLE &&
      nStdHandle != STD_ERROR_HANDLE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_HANDLE_VALUE;
  }
  return ToHandle(CurrentSession().Std(nStdHandle));
}
