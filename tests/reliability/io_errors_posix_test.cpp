// Read and flush failures in the middle of a copy, made by the test
// program's fault injection: the failure line, exit code 3, and what the
// message advises ends in a byte-identical copy. The program that ships
// takes no faults.
#include "support/program_posix.h"

using namespace reliability;

namespace {

const uint64_t Seed = 13;
const int64_t SourceSize = 4 * MiB + 5;

class IoErrors : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    WriteGenerated(Path("source"), Seed, SourceSize);
  }
  std::vector<std::string> Args(bool resume) const { return CopyArgs(Path("dest"), "64K", resume); }
};

TEST_F(IoErrors, ASourceThatFailsToReadStopsTheCopyAndResumeFinishesIt) {
  // Error 23: data error (cyclic redundancy check), a bad sector.
  EXPECT_EQ(RunProgram(Args(false), {"ReadFile:after=20:error=23"}), 3) << Output();
  EXPECT_EQ(Messages().find("ReadFile returned 0??\nReading the source failed with system error "
                          "23 after 1,310,720 bytes"),
            0u)
      << Output();
  EXPECT_EQ(SizeOf(Path("dest")), 20 * 64 * 1024);
  EXPECT_EQ(FirstDifference(Path("dest"), Seed, 20 * 64 * 1024), -1);
  EXPECT_EQ(RunProgram(Args(true)), 0) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), Seed, SourceSize), -1);
}

TEST_F(IoErrors, AFlushThatFailsIsNoCompletedCopy) {
  // The tail's flush, then the destination's own before "completed".
  for (const char* faults :
       {"FlushFileBuffers:error=1117", "FlushFileBuffers:after=1:error=1117"}) {
    SCOPED_TRACE(faults);
    EXPECT_EQ(RunProgram(Args(false), {faults}), 3) << Output();
    EXPECT_NE(Output().find("Could not flush the destination file to disk, getlasterror is 1117\n"
                            "What was written may not all be on the disk. Check the destination "
                            "disk, then run the command without /R to copy the whole file again."),
              std::string::npos)
        << Output();
    EXPECT_EQ(Output().find("File copy completed!"), std::string::npos) << Output();
  }
  EXPECT_EQ(RunProgram(Args(false)), 0) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), Seed, SourceSize), -1);
}

// BLKCOPY_FAULTS reaches the test program's engine, and the outcome becomes
// the exit code.
TEST_F(IoErrors, TheProgramTakesItsFaultsFromTheEnvironment) {
  EXPECT_EQ(RunProgram(Args(false), {"WriteFile:after=2:error=112:times=0"}), 3) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), Seed, 2 * 64 * 1024), -1);
  EXPECT_NE(Output().find("Write file returned 0, getlasterror is 112"), std::string::npos);
  // The destination, refused for reading and writing and then for writing.
  EXPECT_EQ(RunProgram(Args(false), {"CreateFileA:after=2:error=5:times=2"}), 2);
  EXPECT_EQ(RunProgram(Args(false)), 0) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), Seed, SourceSize), -1);
}

TEST_F(IoErrors, TheShippedProgramIgnoresTheFaults) {
  RunOptions shipped{"WriteFile:after=2:error=112"};
  shipped.program = BLKCOPY_SHIPPED_EXE;
  EXPECT_EQ(RunProgram(Args(false), shipped), 0) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), Seed, SourceSize), -1);
}

}  // namespace
