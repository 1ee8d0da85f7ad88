// The program stopped at random points, by SIGKILL (a crash, a pulled plug
// short of the disk itself) or by the signals it handles (Ctrl+C, Ctrl+Break,
// a closed terminal, the system's request to end), then finished with /R: the
// destination must end byte-identical every time, and the source untouched.
#include <random>

#include "support/program_posix.h"

using namespace reliability;

namespace {

const uint64_t Seed = 8;
// Several hundred MiB, with a tail that is no whole block at either size.
const int64_t SourceSize = 256 * MiB + 12345;

// The kill points are random; BLKCOPY_FAULT_SEED repeats a run.
uint64_t KillSeed() {
  const char* chosen = std::getenv("BLKCOPY_FAULT_SEED");
  return chosen ? std::strtoull(chosen, nullptr, 10) : std::random_device{}();
}

class StopAndResume : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    WriteGenerated(Path("source"), Seed, SourceSize);
  }

  // Runs a copy and stops it with `signal` once the destination holds `at`
  // bytes. Checks what the stopped run left and said; returns its outcome.
  int StoppedRun(const std::string& block, bool resume, int signal, int64_t at) {
    const pid_t pid = Start(CopyArgs(Path("dest"), block, resume), Path("output"));
    EXPECT_GT(pid, 0);
    const int outcome = SignalAtSize(pid, Path("dest"), at, signal);
    const std::string output = Output();
    if (outcome == 0) {
      EXPECT_NE(output.find("File copy completed!"), std::string::npos) << output;
    } else if (signal == SIGKILL) {
      EXPECT_EQ(outcome, -SIGKILL) << output;
    } else {
      EXPECT_EQ(outcome, 4) << output;
      EXPECT_NE(output.find("[BREAK] User halt.\nThe destination holds the first " +
                            Grouped(SizeOf(Path("dest"))) +
                            " bytes of the source, in whole blocks. The same command with /R "
                            "continues the copy from there.\n"),
                std::string::npos)
          << output;
      EXPECT_EQ(output.find("File copy completed!"), std::string::npos) << output;
    }
    // Whatever the moment, the destination holds a beginning of the source.
    const int64_t held = SizeOf(Path("dest"));
    EXPECT_LE(held, SourceSize);
    if (held > 0) {
      EXPECT_EQ(FirstDifference(Path("dest"), Seed, held), -1) << held;
    }
    return outcome;
  }

  // One /R after the stops: it must complete the copy, byte-identical.
  void ResumeToTheEnd(const std::string& block) {
    const int outcome = RunProgram(CopyArgs(Path("dest"), block, true));
    EXPECT_EQ(outcome, 0) << Output();
    EXPECT_NE(Output().find("File copy completed!"), std::string::npos) << Output();
    EXPECT_EQ(FirstDifference(Path("dest"), Seed, SourceSize), -1);
  }

  void ExpectSourceUntouched() { EXPECT_EQ(FirstDifference(Path("source"), Seed, SourceSize), -1); }
};

TEST_F(StopAndResume, KilledAnywhereThenResumedIsByteIdentical) {
  const uint64_t seed = KillSeed();
  SCOPED_TRACE("BLKCOPY_FAULT_SEED=" + std::to_string(seed));
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<int64_t> anywhere(0, SourceSize);
  int killed = 0;
  for (int trial = 0; trial < 10; ++trial) {
    const std::string block = trial % 2 ? "1M" : "64K";
    // The first trial kills the program before it has written anything, the
    // last once the destination is whole, maybe before it is flushed or said.
    const int64_t at = trial == 0 ? 0 : trial == 9 ? SourceSize : anywhere(random);
    SCOPED_TRACE("trial " + std::to_string(trial) + ", " + block + ", killed at " +
                 std::to_string(at));
    std::filesystem::remove(Path("dest"));
    if (StoppedRun(block, false, SIGKILL, at) == -SIGKILL) ++killed;
    // Every other trial kills the resumed copy too, somewhere further on.
    if (trial % 4 >= 2 && SizeOf(Path("dest")) < SourceSize) {
      const int64_t further = std::max<int64_t>(SizeOf(Path("dest")), 0) + 1;
      StoppedRun(block, true, SIGKILL,
                 std::uniform_int_distribution<int64_t>(further, SourceSize)(random));
    }
    ResumeToTheEnd(block);
    if (HasFailure()) return;
  }
  EXPECT_GE(killed, 8) << "too few trials were killed before the copy ended";
  ExpectSourceUntouched();
}

TEST_F(StopAndResume, HandledSignalsBreakInOrderThenResumeIsByteIdentical) {
  const uint64_t seed = KillSeed();
  SCOPED_TRACE("BLKCOPY_FAULT_SEED=" + std::to_string(seed));
  std::mt19937_64 random(seed);
  // Well inside the copy, so that the signal meets it running.
  std::uniform_int_distribution<int64_t> inside(MiB, SourceSize - 32 * MiB);
  struct Trial {
    int signal;
    const char* block;
  };
  const Trial trials[] = {{SIGINT, "64K"},  {SIGINT, "1M"},  {SIGTERM, "64K"},
                          {SIGTERM, "1M"},  {SIGHUP, "64K"}, {SIGQUIT, "1M"}};
  for (const Trial& trial : trials) {
    const int64_t at = inside(random);
    SCOPED_TRACE(std::string(strsignal(trial.signal)) + ", " + trial.block + ", at " +
                 std::to_string(at));
    std::filesystem::remove(Path("dest"));
    EXPECT_EQ(StoppedRun(trial.block, false, trial.signal, at), 4);
    // The break comes between blocks: the destination holds whole blocks.
    const int64_t block = trial.block[0] == '1' ? MiB : 64 * 1024;
    EXPECT_EQ(SizeOf(Path("dest")) % block, 0);
    // And a resumed copy breaks in order too.
    const int64_t further = SizeOf(Path("dest")) + 16 * MiB;
    EXPECT_EQ(StoppedRun(trial.block, true, trial.signal, further), 4);
    ResumeToTheEnd(trial.block);
    if (HasFailure()) return;
  }
  ExpectSourceUntouched();
}

}  // namespace
