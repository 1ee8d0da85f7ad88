// The world's limits on a copy, met for real: a FUSE file system whose read
// fails part-way through a large direct read (support/faulty_fs.py), the
// program started with its standard descriptors closed, and a file-size
// limit (ulimit -f). Each ends byte-identical with exit code 0, or failed
// with exit code 3 and a destination of whole blocks of the source.
#include "support/faulty_fs.h"
#include "support/program_posix.h"

using namespace reliability;

namespace {

const uint64_t Seed = 31;

class ReadsAndLimits : public ProgramTest {
 protected:
  // `line` run by bash (whose ulimit -f counts KiB) under timeout -k, its
  // output in "output"; the exit code.
  int RunShell(const std::string& line) {
    const std::string command = "timeout -k 2 60 bash -c '" + line + "' >" +
                                Path("output").string() + " 2>&1 </dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Copy(const std::string& block, bool resume = false) const {
    std::string line = std::string(BLKCOPY_EXE) + " " + Path("source").string() + " " +
                       Path("dest").string() + " " + block;
    return resume ? line + " /R" : line;
  }
  bool Said(const std::string& text) const { return Output().find(text) != std::string::npos; }
};

// ---- Standard streams closed --------------------------------------------------

TEST_F(ReadsAndLimits, ClosedStandardStreamsGetNothingOfTheProgramsIntoTheDestination) {
  const int64_t size = 3 * MiB + 4321;
  WriteGenerated(Path("source"), Seed, size);
  for (const char* closed : {"<&- >&- 2>&-", "<&- >&-", ">&-", "2>&- <&-"}) {
    SCOPED_TRACE(closed);
    fs::remove(Path("dest"));
    EXPECT_EQ(RunShell("exec " + Copy("64K") + " " + closed), 0) << Output();
    EXPECT_EQ(FirstDifference(Path("dest"), Seed, size), -1);
  }
}

// ---- File-size limits -------------------------------------------------------------

// ulimit -f inside a full block and at the short tail, and (made by the fault
// layer, for no file system here stops at 4 GiB in a test's time) a file
// system's largest file: no signal ends the copy; error 223 with the limit
// named; whole blocks kept; /R advised only where raising the limit helps.
TEST_F(ReadsAndLimits, AFileSizeLimitFailsTheWriteAndKeepsWholeBlocks) {
  const int64_t size = 6 * MiB + 777;
  WriteGenerated(Path("source"), Seed, size);
  const struct {
    const char* block;
    const char* setup;  // before the copy, in the same shell
    const char* faults;
    int64_t kept;
    const char* line;
    const char* advice;
  } cases[] = {
      {"64K", "ulimit -f 3000;", "", 46 * 64 * 1024, "Write file returned 0, getlasterror is 223",
       "(ulimit -f, 3,072,000 bytes). The copy stopped with the first 3,014,656 bytes in the "
       "destination: raise the limit (ulimit -f unlimited), then run the same command with /R"},
      {"1M", "ulimit -f 3000;", "", 2 * MiB, "Write file returned 0, getlasterror is 223",
       "raise the limit"},
      {"1M", "ulimit -f 6144;", "", 6 * MiB, "buffered Write file returned 0, getlasterror is 223",
       "raise the limit"},
      {"1M", "", "BLKCOPY_FAULTS=WriteFile:after=2:error=223", 2 * MiB,
       "Write file returned 0, getlasterror is 223",
       "can hold. The copy stopped with the first 2,097,152 bytes in the destination: /R can't "
       "take it further there. Copy to a disk whose file system holds larger files (such as "
       "NTFS, exFAT or ext4), without /R."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.block) + " " + c.setup + c.faults);
    fs::remove(Path("dest"));
    EXPECT_EQ(RunShell(std::string(c.setup) + " " + c.faults + " exec " + Copy(c.block)), 3)
        << Output();
    EXPECT_TRUE(Said(std::string(c.line) + "\n")) << Output();
    EXPECT_TRUE(Said(c.advice)) << Output();
    EXPECT_EQ(SizeOf(Path("dest")), c.kept);
    EXPECT_EQ(FirstDifference(Path("dest"), Seed, c.kept), -1);
    EXPECT_EQ(RunShell("exec " + Copy(c.block, true)), 0) << Output();
    EXPECT_EQ(FirstDifference(Path("dest"), Seed, size), -1);
  }
}

// A file system's own largest file, met for real: ext4 with 1 KiB blocks and
// no extents holds files of about 16 GiB. A sparse destination just under it,
// continued with /R, reaches it within seconds; the message names ext4, not
// FAT32, and gives no /R advice, since no /R passes it.
TEST_F(ReadsAndLimits, AFileSystemsLargestFileIsNamedForWhatItIs) {
  if (::geteuid() != 0) GTEST_SKIP() << "loop mounts need root";
  const std::string image = Path("ext4.img").string(), disk = Path("disk").string();
  fs::create_directory(disk);
  if (Guarded("truncate -s 64M " + image + " && mkfs.ext4 -q -F -b 1024 -O ^extent,^64bit " + image +
              " && mount -o loop " + image + " " + disk) != 0)
    SKIP_FOR_MISSING_TOOL("no ext4 on a loop device here (e2fsprogs, /dev/loop-control?)");
  const struct Mounted {
    std::string at;
    ~Mounted() { Guarded("umount " + at); }
  } mounted{disk};
  const fs::path dest = Path("disk") / "dest";
  // The largest size the file system lets a file have, found by asking it;
  // the source, sparse, is made first, as the copy was.
  std::ofstream{Path("source")};
  std::ofstream{dest};
  int64_t fits = 0;
  for (int64_t step = int64_t(1) << 40; step > 0; step /= 2)
    if (::truncate(dest.c_str(), fits + step) == 0) fits += step;
  const int64_t held = (fits - 2 * MiB) / (64 * 1024) * (64 * 1024);
  ASSERT_GT(held, 4 * (int64_t(1) << 30)) << "no limit found: " << fits;
  ASSERT_EQ(::truncate(Path("source").c_str(), held + 4 * MiB), 0);
  ASSERT_EQ(::truncate(dest.c_str(), held), 0);
  EXPECT_EQ(RunProgram(CopyArgs(dest, "64K", true), {"", false, 120}), 3) << Output();
  EXPECT_TRUE(Said("The destination reached the largest file its file system (ext4) can hold. "
                   "The copy stopped with the first ")) << Output();
  EXPECT_TRUE(Said("/R can't take it further there.")) << Output();
  EXPECT_FALSE(Said("FAT holds")) << Output();
  EXPECT_EQ(SizeOf(dest) % (64 * 1024), 0);
}

// ---- Reads cut short on a FUSE file system ------------------------------------

// The source on support/faulty_fs.py with direct_io, so that the kernel
// splits a large read into requests: as "bad", a few bytes in its middle fail
// with EIO, and the request that fails cuts the read short; as "cut" (the
// same file), one request comes back short at an odd byte with no error.
// Skipped where FUSE can't be mounted.
class FuseSource : public ReadsAndLimits {
 protected:
  static const int64_t Size = 80 * MiB + 12345;
  static const int64_t BadAt = 40 * MiB + 300 * 1024;

  void SetUp() override {
    ReadsAndLimits::SetUp();
    fs::create_directory(Path("backing"));
    fs::create_directory(Path("mnt"));
    WriteGenerated(Path("backing") / "bad", Seed, Size);
    fs::create_hard_link(Path("backing") / "bad", Path("backing") / "cut");
    const std::string why =
        fuse_.Mount(Path("backing"), Path("mnt"),
                    "--eio bad:" + std::to_string(BadAt) + ":4096 --cut cut:" +
                        std::to_string(BadAt + 123));
    if (!why.empty()) SKIP_FOR_MISSING_TOOL(why);
  }
  void TearDown() override {
    fuse_.Unmount();
    ReadsAndLimits::TearDown();
  }

  FaultyFs fuse_;
};

TEST_F(FuseSource, AReadCutShortIsReadOnOrFailsNeverTakenForTheEnd) {
  for (const char* name : {"bad", "cut"}) {
    for (int64_t block : {MiB, 8 * MiB, 32 * MiB}) {
      SCOPED_TRACE(std::string(name) + " " + std::to_string(block));
      const bool bad = std::string(name) == "bad";
      const int64_t kept = bad ? BadAt / block * block : Size;
      fs::remove(Path("dest"));
      const std::vector<std::string> args = {(Path("mnt") / name).string(), Path("dest").string(),
                                             std::to_string(block / MiB) + "M"};
      EXPECT_EQ(RunProgram(args, {"", false, 120}), bad ? 3 : 0) << Output();
      EXPECT_EQ(Said("ReadFile returned 0??\nReading the source failed with system error 1117 "
                     "after " + Grouped(kept) + " bytes"),
                bad)
          << Output();
      EXPECT_EQ(Said("File copy completed!"), !bad) << Output();
      EXPECT_EQ(SizeOf(Path("dest")), kept);
      EXPECT_EQ(FirstDifference(Path("dest"), Seed, kept), -1);
    }
  }
}

}  // namespace
