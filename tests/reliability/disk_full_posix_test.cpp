// A destination disk that fills up: the write error line, exit code 3, and a
// destination that holds exactly the bytes the message counts, all of them
// the source's; once room is made, /R finishes byte-identical. The disk is a
// small tmpfs where the machine lets the test mount one; elsewhere a fault
// rule at the copy engine's call table fails the write instead, and the test
// says which of the two ran.
#include <sys/mount.h>

#include "support/program_posix.h"

using namespace reliability;

namespace {

const uint64_t Seed = 9;
const int64_t SourceSize = 6 * MiB + 777;

class DiskFull : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    fs::create_directory(Path("small"));
    mounted_ = ::mount("tmpfs", Path("small").c_str(), "tmpfs", 0, "size=8m") == 0;
    WriteGenerated(Path("source"), Seed, SourceSize);
  }

  void TearDown() override {
    if (mounted_) ::umount2(Path("small").c_str(), MNT_DETACH);
    ProgramTest::TearDown();
  }

  fs::path Dest() const { return Path("small") / "dest"; }

  // The copy stops at the full disk with `line`; the destination holds what
  // the message says, a beginning of the source. Returns its size.
  int64_t ExpectStoppedAtFullDisk(const std::string& block, const std::string& faults,
                                  const std::string& line) {
    EXPECT_EQ(RunProgram(CopyArgs(Dest(), block, false), {faults}), 3) << Output();
    const std::string output = Messages();
    EXPECT_EQ(output.find(line + "\n"), 0u) << output;
    const int64_t size = SizeOf(Dest());
    EXPECT_NE(output.find("The destination disk is full. The copy stopped with the first " +
                          Grouped(size) +
                          " bytes in the destination: make room, then run the same command "
                          "with /R to finish the copy.\n"),
              std::string::npos)
        << output;
    EXPECT_EQ(FirstDifference(Dest(), Seed, size), -1);
    EXPECT_EQ(output.find("File copy completed!"), std::string::npos);
    return size;
  }

  void ExpectResumeFinishes(const std::string& block) {
    EXPECT_EQ(RunProgram(CopyArgs(Dest(), block, true)), 0) << Output();
    EXPECT_EQ(FirstDifference(Dest(), Seed, SourceSize), -1);
    EXPECT_EQ(FirstDifference(Path("source"), Seed, SourceSize), -1);
  }

  bool mounted_ = false;
};

TEST_F(DiskFull, AFullBlockThatDoesNotFitStopsTheCopyAndResumeFinishesIt) {
  for (const char* block : {"64K", "1M"}) {
    SCOPED_TRACE(block);
    std::error_code error;
    fs::remove(Dest(), error);
    std::string faults;
    if (mounted_) {
      // 8 KiB into the fourth 64K block of the last 1M: the disk fills inside
      // a block at either size.
      WriteGenerated(Path("small") / "filler", 1, 2 * MiB + 8 * 1024);
    } else {
      faults = "WriteFile:after=5:error=112:times=0";
    }
    const int64_t held =
        ExpectStoppedAtFullDisk(block, faults, "Write file returned 0, getlasterror is 112");
    EXPECT_GT(held, 0);
    EXPECT_LT(held, SourceSize - 777);
    // A write that doesn't fit adds nothing: whole blocks only, as on Windows.
    EXPECT_EQ(held % (std::string(block) == "64K" ? 64 * 1024 : MiB), 0) << held;
    fs::remove(Path("small") / "filler", error);
    ExpectResumeFinishes(block);
  }
  RecordProperty("disk", mounted_ ? "a full tmpfs" : "a fault rule (no tmpfs could be mounted)");
}

TEST_F(DiskFull, ATailThatDoesNotFitLeavesExactlyTheFullBlocks) {
  const int64_t fullBlocks = SourceSize - 777;
  std::string faults;
  if (mounted_) {
    // Room for the full blocks and not one page more.
    WriteGenerated(Path("small") / "filler", 1, 8 * MiB - fullBlocks);
  } else {
    faults = "WriteFile:after=96:error=112";
  }
  EXPECT_EQ(ExpectStoppedAtFullDisk("64K", faults,
                                    "buffered Write file returned 0, getlasterror is 112"),
            fullBlocks);
  std::error_code error;
  fs::remove(Path("small") / "filler", error);
  ExpectResumeFinishes("64K");
  RecordProperty("disk", mounted_ ? "a full tmpfs" : "a fault rule (no tmpfs could be mounted)");
}

}  // namespace
