// A completed copy takes the source's last-write time to the nanosecond, as
// the file system keeps it (make and cp -u compare nanoseconds); a copy that did not complete (a failure, a stop)
// keeps the time of its last write, so that no backup tool takes it for a
// finished one.
#include "support/program_posix.h"

using namespace reliability;

namespace {

const uint64_t Seed = 16;
const int64_t SourceSize = 128 * MiB + 777;
// 2020-01-02 03:04:05.123456789 UTC.
const struct timespec SourceTime = {1577934245, 123456789};

struct Case {
  const char* name;
  const char* faults;  // BLKCOPY_FAULTS for the run
  bool stop;           // stopped with SIGTERM once 1 MiB is written
  int exitCode;
  bool keepsSourceTime;
};

const Case Cases[] = {
    {"completed", "", false, 0, true},
    {"disk full part-way", "WriteFile:after=3:error=112", false, 3, false},
    {"flush failed at the end", "FlushFileBuffers:error=5", false, 3, false},
    {"stopped", "", true, 4, false},
};

class FileTimes : public ProgramTest {
 protected:
  int StoppedRun() {
    const std::string dest = Path("dest").string();
    // The earlier cases left a whole copy there, which would look like one
    // under way before this program has even set up its Ctrl+C handling.
    std::filesystem::remove(Path("dest"));
    return Guarded(std::string(BLKCOPY_EXE) + " " + Path("source").string() + " " + dest +
                   " 8K & pid=$!; i=0; while [ $(stat -c %s " + dest +
                   " 2>/dev/null || echo 0) -lt 1048576 ] && [ $i -lt 3000 ]; do sleep 0.01; "
                   "i=$((i+1)); done; kill -TERM $pid; wait $pid");
  }
};

TEST_F(FileTimes, OnlyACompletedCopyTakesTheSourcesLastWriteTime) {
  WriteGenerated(Path("source"), Seed, SourceSize);
  const struct timespec times[2] = {SourceTime, SourceTime};
  ASSERT_EQ(::utimensat(AT_FDCWD, Path("source").c_str(), times, 0), 0);
  for (const Case& c : Cases) {
    SCOPED_TRACE(c.name);
    const int outcome =
        c.stop ? StoppedRun() : RunProgram(CopyArgs(Path("dest"), "1M", false), {c.faults});
    EXPECT_EQ(outcome, c.exitCode) << Output();
    struct stat info {};
    ASSERT_EQ(::stat(Path("dest").c_str(), &info), 0);
    if (c.keepsSourceTime) {
      EXPECT_EQ(info.st_mtim.tv_sec, SourceTime.tv_sec);
      EXPECT_EQ(info.st_mtim.tv_nsec, SourceTime.tv_nsec);
    } else {
      EXPECT_GT(info.st_mtim.tv_sec, SourceTime.tv_sec + 3600) << Output();
    }
  }
}

}  // namespace
