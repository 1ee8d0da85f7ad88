// The terminal side of the console screen.
#include "platform/posix/screen_terminal.h"

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <chrono>
#include <climits>
#include <csignal>
#include <cwchar>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/handle.h"
#include "platform/posix/terminal_colours.h"

namespace {

// A terminal that doesn't answer the position query costs this much once.
constexpr int kAnswerTimeoutMs = 300;

std::string Csi(int count, char final) { return "\x1b[" + std::to_string(count) + final; }

// ANSI colour numbers run red 1, green 2, blue 4; the console's run blue 1,
// green 2, red 4.
int AnsiColour(int consoleColour) {
  return ((consoleColour & 1) << 2) | (consoleColour & 2) | ((consoleColour & 4) >> 2);
}

// Parses "ESC [ row ; col R" at the end of what the terminal sent.
bool ParsePositionReport(const std::string& reply, int& row, int& column) {
  const size_t start = reply.rfind("\x1b[");
  if (start == std::string::npos) return false;
  char final = 0;
  return std::sscanf(reply.c_str() + start + 2, "%d;%d%c", &row, &column, &final) == 3 &&
         final == 'R' && row > 0 && column > 0;
}

// Reads the terminal's answer on `tty` until it is complete or time is up.
bool ReadPositionReport(int tty, int& row, int& column) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
  std::string reply;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return false;
    pollfd wait{tty, POLLIN, 0};
    const int ready = ::poll(&wait, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char chunk[64];
    const ssize_t got = ::read(tty, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    reply.append(chunk, static_cast<size_t>(got));
    if (reply.find('R') != std::string::npos && ParsePositionReport(reply, row, column))
      return true;
  }
}

// Resizes and resumes (SIGWINCH, SIGCONT) counted as they come; the screen
// looks at the count between writes, never inside the handler.
std::atomic<unsigned> Reshapes{0};

void OnReshape(int) { Reshapes.fetch_add(1); }

void WatchReshapes() {
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_handler = OnReshape;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGWINCH, &action, nullptr);
    sigaction(SIGCONT, &action, nullptr);
    return true;
  }();
  (void)installed;
}

// What stands in for a character the terminal's character set can't show:
// the frame's lines and corners in ASCII, blanks for the spaces that group
// digits, '?' for anything else, one per cell.
std::string StandIn(wchar_t c, int width) {
  if (c == 0x00A0 || c == 0x2007 || c == 0x202F) return " ";
  if (c == 0x2500 || c == 0x2550) return "-";
  if (c == 0x2502 || c == 0x2551) return "|";
  if (c >= 0x2500 && c <= 0x257F) return "+";
  return std::string(static_cast<size_t>(std::max(width, 1)), '?');
}

}  // namespace

std::string SgrFor(WORD attribute) {
  std::string sgr = "\x1b[0";
  const int fore = attribute & 0x0F;
  const int back = (attribute >> 4) & 0x0F;
  sgr += ";" + std::to_string(((fore & 8) ? 90 : 30) + AnsiColour(fore));
  sgr += ";" + std::to_string(((back & 8) ? 100 : 40) + AnsiColour(back));
  if (attribute & COMMON_LVB_UNDERSCORE) sgr += ";4";
  if (attribute & COMMON_LVB_REVERSE_VIDEO) sgr += ";7";
  return sgr + "m";
}

std::string UncolouredSgrFor(WORD attribute) {
  std::string sgr;
  if (attribute & COMMON_LVB_UNDERSCORE) sgr += ";4";
  if (attribute & COMMON_LVB_REVERSE_VIDEO) sgr += ";7";
  return sgr.empty() ? sgr : "\x1b[0" + sgr + "m";
}

bool InForeground(int fd) {
  const pid_t group = ::tcgetpgrp(fd);
  return group == -1 || group == ::getpgrp();
}

TerminalScreen::TerminalScreen(int fd) : fd_(fd) {
  // The terminal shows the locale's character set; only a UTF-8 one takes
  // the characters as they are.
  charset_ = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (charset_ != static_cast<locale_t>(0) &&
      std::strcmp(nl_langinfo_l(CODESET, charset_), "UTF-8") == 0) {
    freelocale(charset_);
    charset_ = static_cast<locale_t>(0);
  }
  // A terminal that turns each line feed into CR LF by itself gets the line
  // feed alone: a log of the session (script) then holds exactly one CR LF.
  termios modes{};
  if (::tcgetattr(fd_, &modes) == 0 && (modes.c_oflag & OPOST) && (modes.c_oflag & ONLCR))
    newline_ = "\n";
  WatchReshapes();
  reshapes_ = Reshapes.load();
  LocateCursor();
}

TerminalScreen::~TerminalScreen() {
  if (charset_ != static_cast<locale_t>(0)) freelocale(charset_);
}

BOOL TerminalScreen::Send(const std::string& bytes) {
  out_ += bytes;
  return Flush();
}

Screen::Geometry TerminalScreen::Measure() {
  winsize size{};
  if (::ioctl(fd_, TIOCGWINSZ, &size) != 0) size = winsize{};
  const SHORT columns = static_cast<SHORT>(size.ws_col > 0 && size.ws_col < 0x8000 ? size.ws_col : 80);
  const SHORT rows = static_cast<SHORT>(size.ws_row > 0 && size.ws_row < 0x8000 ? size.ws_row : 24);
  Geometry geometry{columns, columns, rows};
  const unsigned reshapes = Reshapes.load();
  geometry.reshaped = reshapes != reshapes_ || (rows_ > 0 && (columns != columns_ || rows != rows_));
  if (reshapes != reshapes_) ReapplyInputModes();
  reshapes_ = reshapes;
  columns_ = columns;
  rows_ = rows;
  return geometry;
}

void TerminalScreen::Put(COORD, wchar_t character, int width) {
  char bytes[MB_LEN_MAX > 8 ? MB_LEN_MAX : 8];
  if (charset_ == static_cast<locale_t>(0)) {
    const int count = WideCharToMultiByte(CP_UTF8, 0, &character, 1, bytes, sizeof bytes, nullptr, nullptr);
    if (count > 0) out_.append(bytes, static_cast<size_t>(count));
    return;
  }
  if (width == 0) return;  // a combining mark the character set may lack
  const locale_t previous = uselocale(charset_);
  std::mbstate_t state{};
  const size_t count = std::wcrtomb(bytes, character, &state);
  uselocale(previous);
  if (count == static_cast<size_t>(-1) || count == 0)
    out_ += StandIn(character, width);
  else
    out_.append(bytes, count);
}

void TerminalScreen::CarriageReturn() { out_ += '\r'; }
// The console's line feed starts the next row: a carriage return just before
// it adds nothing.
void TerminalScreen::LineFeed() {
  if (!out_.empty() && out_.back() == '\r') out_.pop_back();
  out_ += newline_;
}
void TerminalScreen::Backspace() { out_ += '\b'; }
void TerminalScreen::Bell() { out_ += '\a'; }
// A terminal holds the cursor in the last column until the next character;
// the console has already moved on to the next row.
void TerminalScreen::WrapToNextRow() { out_ += newline_; }
void TerminalScreen::StayInLastColumn(SHORT column) { out_ += Csi(column + 1, 'G'); }

// Rows move relative to where the terminal's cursor is, so the picture stays
// right even when the start position was not known. Moving down uses line
// feeds, which scroll at the bottom as the console window follows the cursor;
// a move of a screenful or more leaves the cursor on the bottom row either way.
void TerminalScreen::MoveCursor(COORD from, COORD to) {
  if (to.Y < from.Y) {
    out_ += Csi(from.Y - to.Y, 'A');
  } else if (to.Y > from.Y) {
    const int rows = std::min(to.Y - from.Y, static_cast<int>(rows_ > 0 ? rows_ : 24));
    out_.append(static_cast<size_t>(rows), '\n');
  }
  out_ += Csi(to.X + 1, 'G');
}

void TerminalScreen::AttributeChanged() {
  // Without colours only underline and reverse video are left to send; none
  // of them is the terminal's own pen, which "ESC [ 0 m" gives back.
  const std::string sgr =
      TerminalShowsColours() ? SgrFor(Attribute()) : UncolouredSgrFor(Attribute());
  if (sgr != pen_) out_ += sgr.empty() ? "\x1b[0m" : sgr;
  pen_ = sgr;
}

void TerminalScreen::HandBack() {
  if ((Attribute() & 0xFF) != kStartAttribute || pen_.empty()) return;
  pen_.clear();
  out_ += "\x1b[0m";
}

BOOL TerminalScreen::Flush() {
  size_t sent = 0;
  while (sent < out_.size()) {
    const ssize_t put = ::write(fd_, out_.data() + sent, out_.size() - sent);
    if (put >= 0) {
      sent += static_cast<size_t>(put);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN) {
      pollfd wait{fd_, POLLOUT, 0};
      if (::poll(&wait, 1, 1000) > 0) continue;
      errno = EAGAIN;
    }
    const int error = errno;
    out_.clear();
    SetLastErrorFromErrno(error);
    return FALSE;
  }
  out_.clear();
  return TRUE;
}

// Asks the terminal where its cursor is (ESC [ 6 n). The answer comes on the
// terminal's input, so echo and line input are off while it is awaited. A
// process in the background, or a terminal that can't answer, is not asked.
void TerminalScreen::LocateCursor() {
  const char* term = std::getenv("TERM");
  if ((term && std::strcmp(term, "dumb") == 0) || !InForeground(fd_)) return;
  const char* name = ::ttyname(fd_);
  const int tty = name ? ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
  if (tty < 0) return;
  termios saved{};
  if (::tcgetattr(tty, &saved) == 0) {
    termios quiet = saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    quiet.c_cc[VMIN] = 0;
    quiet.c_cc[VTIME] = 0;
    int row = 0;
    int column = 0;
    if (::tcsetattr(tty, TCSANOW, &quiet) == 0 && ::write(tty, "\x1b[6n", 4) == 4 &&
        ReadPositionReport(tty, row, column)) {
      Place({static_cast<SHORT>(column - 1), static_cast<SHORT>(row - 1)}, 0);
    }
    ::tcsetattr(tty, TCSANOW, &saved);
  }
  ::close(tty);
}
