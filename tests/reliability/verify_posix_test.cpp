// /V against file systems that store or return other bytes than they were
// given: the test FUSE file system on cue, and FAT32 through fusefat, whose
// own fault no end check sees.
#include "support/faulty_fs.h"
#include "support/missing_tool.h"
#include "support/program_posix.h"

using namespace reliability;

namespace {

const int64_t Size = 3 * MiB + 12345;  // a tail, written through a handle of its own
const int64_t FlippedAt = 1000000;
const int64_t GarbledAt = 2000000;
const uint64_t Seed = 31;

class VerifyOnDisk : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (::geteuid() != 0) GTEST_SKIP() << "FUSE mounts need root";
    for (const char* name : {"backing", "mnt", "fat"}) fs::create_directory(Path(name));
    WriteGenerated(Path("source"), Seed, Size);
    const std::string why =
        fuse_.Mount(Path("backing"), Path("mnt"),
                    "--flip flipped:" + std::to_string(FlippedAt) + ":1 --garble garbled:" +
                        std::to_string(GarbledAt) + ":1");
    if (!why.empty()) SKIP_FOR_MISSING_TOOL(why);
    const std::string fat = Path("fat.img").string();
    if (Guarded("truncate -s 64M " + fat + " && mkfs.vfat -F 32 " + fat + " && fusefat -o rw+ " +
                fat + " " + Path("fat").string()) != 0)
      SKIP_FOR_MISSING_TOOL("no FAT32 through fusefat here (dosfstools, fusefat)");
    fatMounted_ = true;
  }
  void TearDown() override {
    if (fatMounted_) Guarded("umount " + Path("fat").string());
    fuse_.Unmount();
    ProgramTest::TearDown();
  }
  bool Said(const std::string& text) const { return Output().find(text) != std::string::npos; }

  FaultyFs fuse_;
  bool fatMounted_ = false;
};

TEST_F(VerifyOnDisk, OtherBytesStoredOrReturnedFailTheCopyAtTheirFirstByte) {
  const std::string differs = "The copy read back from the disk differs from the source at byte ";
  struct Case {
    const char* dest;
    int64_t held;  // bytes the destination holds before the run, -1: none
    bool verify;
    int exit;
    std::string line;
    bool said;  // whether `line` is in the output
  };
  const Case cases[] = {
      {"mnt/flipped", -1, true, 3, differs + "1,000,000\n", true},
      // What no end check sees: sizes, times and the name are all right.
      {"mnt/flipped", -1, false, 0, "File copy completed!", true},
      {"mnt/garbled", -1, true, 3, differs + "2,000,000\n", true},
      {"mnt/garbled", 2 * MiB, true, 3, differs + "2,000,000\n", true},
      // fusefat links what a second handle appends to the file's first
      // cluster; the end checks or the read-back fail it.
      {"fat/fresh.img", -1, true, 3, "File copy completed!", false},
      {"fat/resumed.img", MiB, true, 3, "File copy completed!", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dest) + (c.verify ? " /V" : "") + (c.held >= 0 ? " /R" : ""));
    const fs::path dest = Path(c.dest);
    fs::remove(dest);
    std::vector<std::string> args = {Path("source").string(), dest.string(), "64K"};
    if (c.held >= 0) {
      WriteGenerated(Path("part"), Seed, c.held);
      ASSERT_EQ(Guarded("cp " + Path("part").string() + " " + dest.string()), 0);
      args.push_back("/R");
    }
    if (c.verify) args.push_back("/V");
    EXPECT_EQ(RunProgram(args, {"", false, 120}), c.exit) << Output();
    EXPECT_EQ(Said(c.line), c.said) << Output();
    EXPECT_EQ(Said("Verified:"), false) << Output();
    EXPECT_TRUE(fs::exists(dest));  // kept, whatever it holds
  }
}

}  // namespace
