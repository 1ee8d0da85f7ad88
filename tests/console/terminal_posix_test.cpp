// The console layer on a real terminal: this test program runs itself inside
// a tmux pane, drives Con there, and the test reads back what tmux shows
// (text, colours, title) and what the program saw (cursor, signals, keys).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "console/Con.h"
#include "console/ConState.h"
#include "support/missing_tool.h"
#include "support/scratch_dir.h"

namespace {

constexpr const char* kChildVariable = "BLKCOPY_TERMINAL_CHILD";
constexpr int kColumns = 60;
constexpr int kRows = 20;

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool WaitUntil(const std::function<bool()>& done, int milliseconds = 5000) {
  for (int waited = 0; waited < milliseconds; waited += 10) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

// ---- The child, inside the pane -------------------------------------------

// Appends a line to the status file the test reads.
void Report(const std::string& status, const std::string& line) {
  const int fd = ::open(status.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0600);
  if (fd < 0) return;
  const std::string text = line + "\n";
  // A lost report shows as a missing line in the test.
  [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
  ::close(fd);
}

// Reports a step and waits for the test to answer with "<status>.<step>".
void Step(const std::string& status, const std::string& step) {
  Report(status, step);
  WaitUntil([&] { return Exists(status + "." + step); });
}

void Draw() {
  Con::SetForeColor(10);
  Con::WriteText(L"green");
  Con::SetForeColor(12);
  Con::SetBackColor(1);
  Con::WriteText(L"red on blue", true);
  Con::SetForeColor(7);
  Con::SetBackColor(0);
  const int16_t plainRow = Con::GetCursorRow();
  Con::WriteText(L"plain \x2554\x2550\x2557 caf\x00E9", true);
  Con::WriteText(L"right", false, 0, 3);
  Con::WriteText(L"centre", true, 0, 2);
  Con::WriteText(std::wstring(kColumns, L'x'), true);
  const int16_t below = Con::GetCursorRow();
  Con::SetCursorRow(plainRow);
  Con::SetCursorCol(0);
  Con::WriteText(L"PLAIN");
  Con::SetCursorRow(below);
  Con::SetCursorCol(0);
  Con::WriteText(L"end", true);
}

// Waits for the break flag that the test's key sets, then clears it.
std::string AwaitBreak() {
  const bool seen = WaitUntil([] { return Con::BreakPressed(); }, 3000);
  Con::BreakFlag = false;
  return seen ? "1" : "0";
}

int RunChild(const std::string& status) {
  const char lines[] = "one\r\ntwo\r\nthree\r\n";
  if (::write(1, lines, sizeof lines - 1) < 0) return 1;
  Con::hConIn = GetStdHandle(STD_INPUT_HANDLE);
  Con::hConOut = GetStdHandle(STD_OUTPUT_HANDLE);
  Con::hConErr = GetStdHandle(STD_ERROR_HANDLE);
  SetConsoleCtrlHandler(Con::CtrlHandler, TRUE);
  std::ostringstream start;
  start << "start " << Con::GetCursorRow() << " " << Con::GetCursorCol() << " "
        << Con::GetBufferWidth() << " " << Con::GetWindowWidth();
  Report(status, start.str());
  Draw();
  Report(status, "after " + std::to_string(Con::GetCursorRow()));
  Step(status, "original-title");
  Con::SetTitle(L"blkcopy-test");
  Step(status, "title-set");
  Con::SetTitle(L"");
  Step(status, "title-restored");
  Report(status, "break " + AwaitBreak());
  Step(status, "ctrl-c-counted");
  Report(status, "quit " + AwaitBreak());
  Step(status, "ctrl-backslash-counted");
  // Raw input: Ctrl+C is a key, not a break.
  SetConsoleMode(Con::hConIn, 0);
  DWORD mode = 99;
  GetConsoleMode(Con::hConIn, &mode);
  FlushConsoleInputBuffer(Con::hConIn);
  Report(status, "raw " + std::to_string(mode));
  char key = 0;
  DWORD got = 0;
  ReadConsoleA(Con::hConIn, &key, 1, &got, nullptr);
  SetConsoleMode(Con::hConIn, 7);
  GetConsoleMode(Con::hConIn, &mode);
  Report(status, "key " + std::to_string(key) + " " + std::to_string(got) + " " +
                     (Con::BreakPressed() ? "1" : "0") + " " + std::to_string(mode));
  Step(status, "done");
  return 0;
}

// Run before the tests are even registered: a child does its part and ends.
[[maybe_unused]] const bool kChild = [] {
  if (const char* status = std::getenv(kChildVariable)) std::_Exit(RunChild(status));
  return false;
}();

// ---- The test, outside --------------------------------------------------

std::string Shell(const std::string& command) {
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
    ::pclose(pipe);
  }
  return output;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A cell of tmux's capture: its character (UTF-8) and SGR colours (39/49 for
// the terminal's own).
struct Shown {
  std::string text;
  int fore = 39;
  int back = 49;
};

void ApplySgr(const std::string& codes, Shown& pen) {
  std::istringstream in(codes);
  std::vector<int> numbers;
  for (std::string part; std::getline(in, part, ';');) numbers.push_back(part.empty() ? 0 : std::atoi(part.c_str()));
  if (numbers.empty()) numbers.push_back(0);
  for (int n : numbers) {
    if (n == 0) pen.fore = 39, pen.back = 49;
    if ((n >= 30 && n <= 39) || (n >= 90 && n <= 97)) pen.fore = n;
    if ((n >= 40 && n <= 49) || (n >= 100 && n <= 107)) pen.back = n;
  }
}

// The pane as rows of cells, from `capture-pane -e` (attributes carry across
// rows there).
std::vector<std::vector<Shown>> ParseCapture(const std::string& capture) {
  std::vector<std::vector<Shown>> rows(1);
  Shown pen;
  for (size_t i = 0; i < capture.size();) {
    const char c = capture[i];
    if (c == '\n') {
      rows.emplace_back();
      ++i;
    } else if (c == '\x1b' && i + 1 < capture.size() && capture[i + 1] == '[') {
      const size_t end = capture.find_first_of("ABCDEFGHJKSTfmhlr", i + 2);
      if (end == std::string::npos) break;
      if (capture[end] == 'm') ApplySgr(capture.substr(i + 2, end - i - 2), pen);
      i = end + 1;
    } else {
      const auto lead = static_cast<unsigned char>(c);
      const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      Shown cell = pen;
      cell.text = capture.substr(i, length);
      rows.back().push_back(cell);
      i += length;
    }
  }
  return rows;
}

std::string RowText(const std::vector<std::vector<Shown>>& rows, size_t row) {
  std::string text;
  if (row < rows.size())
    for (const Shown& cell : rows[row]) text += cell.text;
  return text;
}

class Pane {
 public:
  Pane() : dir_(testsupport::MakeScratchDir("blkcopy-terminal-").string()), status_(dir_ + "/status") {}
  ~Pane() {
    Tmux("kill-server 2>/dev/null");
    testsupport::RemoveScratchDir(dir_);
  }

  bool Start() {
    std::ofstream(dir_ + "/tmux.conf") << "set -g status off\n";
    char self[4096] = {};
    if (dir_.empty() || ::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return false;
    const std::string command = std::string("env ") + kChildVariable + "='" + status_ + "' '" + self + "'";
    Tmux("-f '" + dir_ + "/tmux.conf' new-session -d -x " + std::to_string(kColumns) + " -y " +
         std::to_string(kRows) + " \"" + command + "\"");
    return true;
  }

  std::string Tmux(const std::string& arguments) {
    return Shell("env -u TMUX tmux -S '" + dir_ + "/socket' " + arguments);
  }

  // The child's report starting with `prefix`, once it is there.
  // After one report fails to come, the child is taken for gone.
  std::string Awaited(const std::string& prefix) {
    std::string found;
    gone_ = gone_ || !WaitUntil([&] {
      for (const std::string& line : ReadLines(status_))
        if (line.rfind(prefix, 0) == 0) found = line;
      return !found.empty();
    });
    return found;
  }

  // Answers the child's step so it goes on.
  void Answer(const std::string& step) { std::ofstream(status_ + "." + step) << "\n"; }

  std::string Title() {
    std::string title = Tmux("display-message -p '#{pane_title}'");
    if (!title.empty() && title.back() == '\n') title.pop_back();
    return title;
  }

 private:
  std::string dir_;
  std::string status_;
  bool gone_ = false;
};

}  // namespace

TEST(ConsoleTerminal, ShowsTextColoursAndTitleAndTurnsKeysIntoBreaks) {
  if (std::system("tmux -V >/dev/null 2>&1") != 0) SKIP_FOR_MISSING_TOOL("tmux is not installed");
  Pane pane;
  ASSERT_TRUE(pane.Start());

  // The position asked of the terminal: below the three lines already there.
  EXPECT_EQ(pane.Awaited("start"), "start 3 0 60 60");
  EXPECT_EQ(pane.Awaited("after"), "after 10");

  ASSERT_EQ(pane.Awaited("original-title"), "original-title");
  const std::string original = pane.Title();
  pane.Answer("original-title");
  for (const auto& [step, title] : {std::pair<std::string, std::string>{"title-set", "blkcopy-test"},
                                    {"title-restored", original}}) {
    ASSERT_EQ(pane.Awaited(step), step);
    EXPECT_EQ(pane.Title(), title);
    pane.Answer(step);
  }

  // Each key, the report it brings and the step that answers it.
  const char* const breaks[][4] = {{"C-c", "break", "break 1", "ctrl-c-counted"},
                                   {"'C-\\'", "quit", "quit 1", "ctrl-backslash-counted"}};
  for (const auto& [key, prefix, report, step] : breaks) {
    pane.Tmux(std::string("send-keys ") + key);
    EXPECT_EQ(pane.Awaited(prefix), report);
    pane.Answer(step);
  }
  ASSERT_EQ(pane.Awaited("raw"), "raw 0");
  pane.Tmux("send-keys C-c");
  EXPECT_EQ(pane.Awaited("key"), "key 3 1 0 7");
  ASSERT_EQ(pane.Awaited("done"), "done");

  const std::string capture = pane.Tmux("capture-pane -p -e");
  pane.Answer("done");
  const auto rows = ParseCapture(capture);
  const std::string shown[] = {"three", "greenred on blue", "PLAIN \u2554\u2550\u2557 caf\u00E9",
                               std::string(55, ' ') + "right", std::string(27, ' ') + "centre",
                               std::string(60, 'x'), "", "end"};
  for (size_t row = 2; row < 10; ++row) EXPECT_EQ(RowText(rows, row), shown[row - 2]) << "row " << row;
  // Row, column and the SGR colours of that cell: light green on black, light
  // red on blue, and attribute 7 as asked, light grey on black.
  const size_t cells[][4] = {{3, 0, 92, 40}, {3, 5, 91, 44}, {4, 0, 37, 40}};
  for (const auto& [row, column, fore, back] : cells) {
    SCOPED_TRACE("row " + std::to_string(row) + " column " + std::to_string(column));
    ASSERT_LT(row, rows.size());
    ASSERT_LT(column, rows[row].size());
    EXPECT_EQ(rows[row][column].fore, static_cast<int>(fore));
    EXPECT_EQ(rows[row][column].back, static_cast<int>(back));
  }
}
