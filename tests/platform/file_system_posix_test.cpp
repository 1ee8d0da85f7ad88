// The probes that let a refusal name its true cause, on real file systems: the
// type of the file system under a path, as the mount table names it, and the
// immutable and append-only attributes that refuse a write whatever the
// permissions say.
#include "platform/platform.h"
#include "support/missing_tool.h"
#include "support/program_posix.h"

using namespace reliability;

namespace {

class FileSystemProbes : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (::geteuid() != 0) GTEST_SKIP() << "loop and FUSE mounts need root";
    for (const char* name : {"ext4", "fat", "bind"}) fs::create_directory(Path(name));
    const std::string ext4 = Path("ext4.img").string(), fat = Path("fat.img").string();
    if (Guarded("truncate -s 16M " + ext4 + " && mkfs.ext4 -q -F " + ext4 + " && mount -o loop " +
                ext4 + " " + Path("ext4").string()) != 0)
      SKIP_FOR_MISSING_TOOL("no ext4 on a loop device here (e2fsprogs, /dev/loop-control?)");
    mounted_.push_back(Path("ext4"));
    if (Guarded("truncate -s 40M " + fat + " && mkfs.vfat -F 32 " + fat + " && fusefat -o rw+ " +
                fat + " " + Path("fat").string()) != 0)
      SKIP_FOR_MISSING_TOOL("no FAT32 through fusefat here (dosfstools, fusefat)");
    mounted_.push_back(Path("fat"));
    if (Guarded("bindfs " + Path("ext4").string() + " " + Path("bind").string()) != 0)
      SKIP_FOR_MISSING_TOOL("bindfs could not mount here");
    mounted_.push_back(Path("bind"));
  }
  void TearDown() override {
    // The bind mount over ext4 goes first; ext4's marked files would stay.
    for (auto mount = mounted_.rbegin(); mount != mounted_.rend(); ++mount)
      Guarded("chattr -R -i -a " + mount->string() + "; umount " + mount->string());
    ProgramTest::TearDown();
  }

  std::vector<fs::path> mounted_;
};

TEST_F(FileSystemProbes, NameTheFileSystemUnderAFileOrItsFolder) {
  WriteGenerated(Path("ext4") / "file", 1, 4096);
  const struct {
    fs::path path;
    const wchar_t* type;
  } cases[] = {
      {Path("ext4") / "file", L"ext4"},
      {Path("ext4") / "not-yet", L"ext4"},  // a destination not made yet
      {Path("fat") / "not-yet", L"fuse.fusefat"},
      {Path("bind") / "file", L"fuse"},  // bindfs gives its mount no subtype
      {"/dev/shm/not-yet", L"tmpfs"},
      {Path("no-folder") / "file", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(FileSystemNameOf(c.path.string()), c.type) << c.path;
}

TEST_F(FileSystemProbes, SeeImmutableAndAppendOnlyFiles) {
  const struct {
    const char* name;
    const char* attribute;  // for chattr; "" none
    bool refused;
  } cases[] = {{"plain", "", false}, {"immutable", "+i", true}, {"append-only", "+a", true}};
  for (const auto& c : cases) {
    const fs::path file = Path("ext4") / c.name;
    WriteGenerated(file, 2, 512);
    if (*c.attribute) {
      ASSERT_EQ(Guarded(std::string("chattr ") + c.attribute + " " + file.string()), 0);
    }
    EXPECT_EQ(ImmutableOrAppendOnly(file.string()), c.refused) << c.name;
  }
  EXPECT_FALSE(ImmutableOrAppendOnly((Path("ext4") / "missing").string()));
}

}  // namespace
