// The terminal side of the console screen.
#include "platform/posix/screen_terminal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/handle.h"

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

}  // namespace

std::string SgrFor(WORD attribute) {
  std::string sgr = "\x1b[0";
  if ((attribute & 0xFF) != Screen::kStartAttribute) {
    const int fore = attribute & 0x0F;
    const int back = (attribute >> 4) & 0x0F;
    sgr += ";" + std::to_string(((fore & 8) ? 90 : 30) + AnsiColour(fore));
    sgr += ";" + std::to_string(((back & 8) ? 100 : 40) + AnsiColour(back));
  }
  if (attribute & COMMON_LVB_UNDERSCORE) sgr += ";4";
  if (attribute & COMMON_LVB_REVERSE_VIDEO) sgr += ";7";
  return sgr + "m";
}

bool InForeground(int fd) {
  const pid_t group = ::tcgetpgrp(fd);
  return group == -1 || group == ::getpgrp();
}

TerminalScreen::TerminalScreen(int fd) : fd_(fd) { LocateCursor(); }

BOOL TerminalScreen::Send(const std::string& bytes) {
  out_ += bytes;
  return Flush();
}

Screen::Geometry TerminalScreen::Measure() {
  winsize size{};
  if (::ioctl(fd_, TIOCGWINSZ, &size) != 0) size = winsize{};
  const SHORT columns = static_cast<SHORT>(size.ws_col > 0 && size.ws_col < 0x8000 ? size.ws_col : 80);
  const SHORT rows = static_cast<SHORT>(size.ws_row > 0 && size.ws_row < 0x8000 ? size.ws_row : 24);
  return {columns, columns, rows};
}

void TerminalScreen::Put(COORD, wchar_t character, int) {
  char bytes[8];
  const int count = WideCharToMultiByte(CP_UTF8, 0, &character, 1, bytes, sizeof bytes, nullptr, nullptr);
  if (count > 0) out_.append(bytes, static_cast<size_t>(count));
}

void TerminalScreen::CarriageReturn() { out_ += '\r'; }
void TerminalScreen::LineFeed() { out_ += "\r\n"; }
void TerminalScreen::Backspace() { out_ += '\b'; }
void TerminalScreen::Bell() { out_ += '\a'; }
// A terminal holds the cursor in the last column until the next character;
// the console has already moved on to the next row.
void TerminalScreen::WrapToNextRow() { out_ += "\r\n"; }
void TerminalScreen::StayInLastColumn(SHORT column) { out_ += Csi(column + 1, 'G'); }

// Rows move relative to where the terminal's cursor is, so the picture stays
// right even when the start position was not known. Moving down uses line
// feeds, which scroll at the bottom as the console window follows the cursor;
// a move of a screenful or more leaves the cursor on the bottom row either way.
void TerminalScreen::MoveCursor(COORD from, COORD to) {
  if (to.Y < from.Y) {
    out_ += Csi(from.Y - to.Y, 'A');
  } else if (to.Y > from.Y) {
    const int rows = std::min(to.Y - from.Y, static_cast<int>(Measure().windowRows));
    out_.append(static_cast<size_t>(rows), '\n');
  }
  out_ += Csi(to.X + 1, 'G');
}

void TerminalScreen::AttributeChanged() { out_ += SgrFor(Attribute()); }

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
