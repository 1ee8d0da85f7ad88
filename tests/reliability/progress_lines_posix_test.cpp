// Progress in a log and in a pipe, met for real: the program copies from a
// slow FUSE source (support/faulty_fs.py --slow) with its clock sped up ten
// times by libfaketime (the monotonic tick included), so that a slow copy's
// minutes pass in seconds, while the test times each line as it arrives.
#include <fcntl.h>

#include <ctime>

#include "support/faulty_fs.h"
#include "support/program_posix.h"

using namespace reliability;

namespace {

const char* const FakeTime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
const int Speed = 10;  // the program's seconds per second of the test's
const uint64_t Seed = 47;
const int64_t Size = 80 * MiB;
// Each 128 KiB read request of the source waits this long: an 8M block takes
// about 0.4 s (4 s on the program's clock), a 64K block a hundredth of that.
const int RequestMs = 6;

struct Line {
  std::string text;
  double at;  // when it arrived, in the program's seconds since the start
};

// The lines of `fd` (non-blocking: a pipe or a growing file) as they come,
// until the program `pid` has ended and all it wrote is read; its Outcome in
// `outcome`.
std::vector<Line> Follow(int fd, pid_t pid, int& outcome) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<Line> lines;
  std::string pending;
  for (bool ended = false;;) {
    char buffer[4096];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      const double at =
          Speed * std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      pending.append(buffer, static_cast<size_t>(got));
      for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
        lines.push_back({pending.substr(0, end), at});
      continue;
    }
    if (ended) return lines;
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      outcome = Outcome(status);
      ended = true;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
}

std::string LocalTime(std::time_t time) {
  char text[32];
  struct tm parts;
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", localtime_r(&time, &parts));
  return text;
}

class ProgressLines : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (!fs::exists(FakeTime)) {
      if (std::getenv("CI")) FAIL() << "libfaketime is not installed";
      GTEST_SKIP() << "libfaketime is not installed (scripts/setup.sh installs faketime)";
    }
    fs::create_directory(Path("backing"));
    fs::create_directory(Path("mnt"));
    WriteGenerated(Path("backing") / "source", Seed, Size);
    const std::string why = fuse_.Mount(Path("backing"), Path("mnt"),
                                        "--slow source:" + std::to_string(RequestMs));
    if (!why.empty()) GTEST_SKIP() << why;
  }
  void TearDown() override {
    fuse_.Unmount();
    ProgramTest::TearDown();
  }

  // The program started on `args` under libfaketime, its output into `output`.
  static pid_t StartFast(const std::vector<std::string>& args, const fs::path& output) {
    std::vector<std::string> line = {"LD_PRELOAD=" + std::string(FakeTime), "FAKETIME=+0 x" + std::to_string(Speed),
                                     "NO_FAKE_STAT=1"};  // else the source's date moves
    if (SanitizedBuild) {
      const char* asan = std::getenv("ASAN_OPTIONS");
      line.push_back(std::string("ASAN_OPTIONS=") + (asan ? asan : "") +
                     ":verify_asan_link_order=0");
    }
    line.push_back(BLKCOPY_EXE);
    line.insert(line.end(), args.begin(), args.end());
    RunOptions options;
    options.program = "/usr/bin/env";
    options.boundSeconds = 60;
    return Start(line, output, options);
  }

  FaultyFs fuse_;
};

// A log gets a line naming the copy, then one every ten seconds, whatever the
// block size: at 8M from this source that is every third block or so, at 64K
// every 150 blocks, not one per block. The 64K rows resume the last 32 MiB,
// to keep them short and to show a start offset. Lines reach a pipe as they
// are written, not when a buffer fills.
TEST_F(ProgressLines, ComeEveryTenSecondsToALogAndToAPipeWhateverTheBlockSize) {
  const struct {
    const char* block;
    int64_t resumeAt;
    bool pipe;
  } cases[] = {{"64K", 48 * MiB, false}, {"64K", 48 * MiB, true},
               {"8M", 0, false},         {"8M", 0, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.block) + (c.pipe ? " pipe" : " log"));
    fs::remove(Path("dest"));
    std::vector<std::string> args = {(Path("mnt") / "source").string(), Path("dest").string(),
                                     c.block};
    if (c.resumeAt > 0) {
      WriteGenerated(Path("dest"), Seed, c.resumeAt);
      args.push_back("/R");
    }
    int ends[2] = {-1, -1};  // the pipe's, or the log read and written
    if (c.pipe) {
      ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    } else {
      std::ofstream(Path("log")).close();
      ends[0] = ::open(Path("log").c_str(), O_RDONLY | O_CLOEXEC);
    }
    ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
    const std::string before = LocalTime(std::time(nullptr));
    const pid_t pid = StartFast(
        args, c.pipe ? "/proc/self/fd/" + std::to_string(ends[1]) : Path("log").string());
    if (c.pipe) ::close(ends[1]);
    ASSERT_GT(pid, 0);
    int outcome = -1000;
    const std::vector<Line> lines = Follow(ends[0], pid, outcome);
    ::close(ends[0]);

    std::string all;
    for (const Line& line : lines) all += line.text + "\n";
    ASSERT_EQ(outcome, 0) << all;
    EXPECT_EQ(FirstDifference(Path("dest"), Seed, Size), -1);
    ASSERT_GE(lines.size(), 3u) << all;
    const std::string named = "Copying " + args[0] + " to " + args[1] + ": 83,886,080 bytes " +
                              (c.resumeAt > 0 ? "from byte 50,331,648" : "from byte 0") +
                              ", started ";
    EXPECT_EQ(lines[0].text.substr(0, named.size()), named) << all;
    const std::string started = lines[0].text.substr(std::min(named.size(), lines[0].text.size()));
    EXPECT_TRUE(started >= before && started <= LocalTime(std::time(nullptr) + 5)) << started;

    // "Copying" and the "Copied X of Y bytes (P%), R KB/sec, T remaining" lines after it
    size_t progress = 1;
    while (progress < lines.size() && lines[progress].text.rfind("Copied ", 0) == 0 &&
           lines[progress].text.find(" of 83,886,080 bytes (") != std::string::npos)
      ++progress;
    EXPECT_GE(progress, 3u) << all;
    ASSERT_LT(progress, lines.size()) << all;
    EXPECT_EQ(lines[progress].text, "File copy completed!") << all;
    // A line is due once ten seconds have passed, and written after the block
    // that is under way then; the slack covers the test's own timing.
    const double block = (lines.back().at - lines[0].at) * (c.resumeAt > 0 ? 65536.0 : 8 * MiB) /
                         static_cast<double>(Size - c.resumeAt);
    for (size_t i = 1; i <= progress; ++i) {
      const double gap = lines[i].at - lines[i - 1].at;
      EXPECT_LE(gap, 10 + 2 * block + 2.5) << lines[i].text;
      if (i < progress) {
        EXPECT_GE(gap, 10 - 2.5) << lines[i].text;
      }
    }
  }
}

}  // namespace
