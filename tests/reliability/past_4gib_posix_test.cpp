// Files past 4 GiB through the program, where every size and offset needs its
// high half: a fresh copy of a sparse source of 4 GiB and a bit, then a resume
// from exactly 4 GiB, whose offset has a low half of 0. The destination is
// written in full (about 4.1 GiB on the disk under the test folder).
#include <sys/statvfs.h>

#include "support/program_posix.h"

using namespace reliability;

namespace {

const uint64_t Seed = 12;
const int64_t FourGiB = 4096 * MiB;
const int64_t SourceSize = FourGiB + 3 * MiB + 12345;

class PastFourGiB : public ProgramTest {};

TEST_F(PastFourGiB, AFreshCopyAndAResumeFromFourGiBAreByteIdentical) {
  struct statvfs disk;
  if (::statvfs(folder_.c_str(), &disk) == 0 &&
      static_cast<int64_t>(disk.f_bavail) * static_cast<int64_t>(disk.f_frsize) <
          SourceSize + 1024 * MiB)
    GTEST_SKIP() << "less than 5.1 GiB free under " << folder_;
  // Holes, but for data at the start and on both sides of the 4 GiB line.
  WriteGenerated(Path("source"), Seed, MiB);
  fs::resize_file(Path("source"), FourGiB - 2 * MiB);
  AppendGenerated(Path("source"), Seed + 1, FourGiB - 2 * MiB, SourceSize);
  ASSERT_EQ(SizeOf(Path("source")), SourceSize);

  // A fresh copy, then /R onto the destination cut back to 4 GiB. After the
  // resume, what lies before the resume check's block was compared already.
  for (const bool resume : {false, true}) {
    SCOPED_TRACE(resume ? "/R" : "fresh");
    if (resume) fs::resize_file(Path("dest"), FourGiB);
    EXPECT_EQ(RunProgram(CopyArgs(Path("dest"), "8M", resume)), 0) << Output();
    EXPECT_NE(Output().find("File copy completed!"), std::string::npos) << Output();
    EXPECT_EQ(SizeOf(Path("dest")), SourceSize);
    const int64_t from = resume ? FourGiB - 8 * MiB : 0;
    EXPECT_EQ(FirstDifferenceBetween(Path("source"), Path("dest"), from), -1);
  }
}

}  // namespace
