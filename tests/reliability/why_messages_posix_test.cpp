// The conditions whose message must say why, made for real where this machine
// allows (a read-only mount, a disk with 4096-byte sectors): the program's own
// line first, then the reason and the remedy, and the documented exit code.
#include <iostream>

#include "support/program_posix.h"

using namespace reliability;

namespace {

const uint64_t Seed = 15;
const int64_t SourceSize = 3 * MiB + 100;

struct Case {
  const char* name;
  bool needsRoot;
  // Prepares the condition in `folder`; returns the program's arguments, none
// when this machine can't make the condition.
  std::vector<std::string> (*prepare)(const fs::path& folder);
  int exitCode;
  const char* firstLine;
  const char* why;
  // When not 0, the run's limit of open files (standard handles included):
  // the destination's own open is the one that fails, after the guard's open
  // created the file, which must not stay behind.
  int fileLimit = 0;
};

std::vector<std::string> RoundsToZero(const fs::path& folder) {
  return {(folder / "source").string(), (folder / "dest").string(), "0.5K"};
}

std::vector<std::string> TooLong(const fs::path& folder) {
  return {(folder / "source").string(), (folder / std::string(300, 'a')).string()};
}

std::vector<std::string> ReadOnlyMount(const fs::path& folder) {
  fs::create_directory(folder / "ro");
  if (Guarded("mount -t tmpfs -o ro,size=1m tmpfs " + (folder / "ro").string()) != 0) return {};
  return {(folder / "source").string(), (folder / "ro" / "dest").string()};
}

// A file system on a loop device with 4096-byte sectors, the source on it.
std::vector<std::string> SectorsOf4096(const fs::path& folder) {
  const std::string image = (folder / "disk.img").string();
  const std::string mount = (folder / "disk").string();
  fs::create_directory(mount);
  const int made = Guarded("truncate -s 32M " + image + " && dev=$(losetup --find --show --sector-size 4096 " +
          image + ") && echo $dev >" + image + ".dev && mkfs.ext4 -q -F $dev && mount $dev " +
          mount + " && cp " + (folder / "source").string() + " " + mount);
  if (made != 0) return {};
  return {mount + "/source", (folder / "dest").string(), "2K"};
}

// A loop device with 4096-byte sectors itself as the source: its folder,
// /dev, reports other sectors than the device has. Empty when none can be made.
std::string Device4096(const fs::path& folder) {
  const std::string image = (folder / "device.img").string();
  if (!fs::exists(image + ".dev") &&
      Guarded("truncate -s 8M " + image + " && losetup --find --show --sector-size 4096 " + image +
              " >" + image + ".dev") != 0)
    return std::string();
  std::string device = ReadAll(image + ".dev");
  return device.substr(0, device.find('\n'));
}

std::vector<std::string> SmallBlockFromDevice(const fs::path& folder) {
  const std::string device = Device4096(folder);
  if (device.empty()) return {};
  return {device, (folder / "image copy").string(), "512B"};
}

std::vector<std::string> ResumeOffsetOfNoWholeSectors(const fs::path& folder) {
  const std::string device = Device4096(folder);
  const std::string partial = (folder / "partial").string();
  if (device.empty() || Guarded("head -c 6144 " + device + " >" + partial) != 0) return {};
  return {device, partial, "64K", "/R"};
}

// An existing destination that chattr marks immutable (+i) or append-only
// (+a): its permissions allow writing, the attribute refuses it.
std::vector<std::string> MarkedDestination(const fs::path& folder, const std::string& mark) {
  const std::string dest = (folder / ("marked" + mark)).string();
  if (Guarded("echo old >" + dest + " && chattr " + mark + " " + dest) != 0) return {};
  return {(folder / "source").string(), dest};
}
std::vector<std::string> Immutable(const fs::path& folder) { return MarkedDestination(folder, "+i"); }
std::vector<std::string> AppendOnly(const fs::path& folder) { return MarkedDestination(folder, "+a"); }

std::vector<std::string> FreshDestination(const fs::path& folder) {
  return {(folder / "source").string(), (folder / "new dest").string()};
}

const Case Cases[] = {
    {"0.5K", false, RoundsToZero, 1, "The block size \"0.5K\" rounds to 0", "can't size a buffer"},
    {"path too long", false, TooLong, 2, "Could not open destination file",
     "The destination path is too long for the system (system error 206). Give a shorter path"},
    {"read-only mount", true, ReadOnlyMount, 2, "Could not open destination file",
     "The destination is on a write-protected (read-only) disk or mount"},
    {"4096-byte sectors", true, SectorsOf4096, 3, "ReadFile returned 0??",
     "the block size, 2,048 bytes, is not a whole number of the disk's sectors, which are 4,096 "
     "bytes. The block must be a multiple of 4,096 bytes"},
    {"512B from a device of 4096-byte sectors", true, SmallBlockFromDevice, 3,
     "ReadFile returned 0??",
     "the block size, 512 bytes, is not a whole number of the disk's sectors, which can be up to "
     "4,096 bytes. Use a block size that is a multiple of 4,096 bytes"},
    {"/R at 6144 bytes on 4096-byte sectors", true, ResumeOffsetOfNoWholeSectors, 2,
     "ReadFile returned 0??",
     "the resume offset, 6,144 bytes, is not a whole number of the disk's sectors. Run the command "
     "without /R"},
    {"immutable destination", true, Immutable, 2, "Could not open destination file",
     "The destination has the immutable or append-only attribute (chattr +i or +a)"},
    {"append-only destination", true, AppendOnly, 2, "Could not open destination file",
     "The destination has the immutable or append-only attribute (chattr +i or +a)"},
    {"too many open files", false, FreshDestination, 2, "Could not open destination file",
     "The system has no file handle left for the destination (system error 4: too many open "
     "files)", 5},
};

class WhyMessages : public ProgramTest {
 protected:
  void TearDown() override {
    Guarded("chattr -i -a " + Path("marked+i").string() + " " + Path("marked+a").string() +
            "; umount " + Path("ro").string() + "; umount " + Path("disk").string() +
            "; losetup -d $(cat " + Path("disk.img.dev").string() + ")" + "; losetup -d $(cat " +
            Path("device.img.dev").string() + ")");
    ProgramTest::TearDown();
  }
};

TEST_F(WhyMessages, EachSaysWhatWentWrongAndWhatToDo) {
  WriteGenerated(Path("source"), Seed, SourceSize);
  for (const Case& c : Cases) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && ::geteuid() != 0) continue;
    if (c.fileLimit != 0 && SanitizedBuild) {
      std::cout << "  skipped \"" << c.name << "\": the sanitizers need descriptors of their own\n";
      continue;
    }
    const std::vector<std::string> args = c.prepare(folder_);
    if (args.empty()) {
      std::cout << "  skipped \"" << c.name << "\": this machine can't make it\n";
      continue;
    }
    RunOptions options;
    std::vector<std::string> run = args;
    if (c.fileLimit != 0) {
      // The shell lowers the limit for the program alone, with its output
      // already open and nothing else the test process may have left open.
      options.program = "/bin/sh";
      run = {"-c", "for f in 3 4 5 6 7 8 9; do eval \"exec $f>&-\"; done; ulimit -n " +
                       std::to_string(c.fileLimit) + " && exec \"$0\" \"$@\"",
             BLKCOPY_EXE};
      run.insert(run.end(), args.begin(), args.end());
    }
    EXPECT_EQ(RunProgram(run, options), c.exitCode) << Output();
    if (c.fileLimit != 0) {
      EXPECT_FALSE(fs::exists(args[1]));
    }
    const std::string output = Messages();
    EXPECT_EQ(output.find(c.firstLine), 0u) << output;
    EXPECT_NE(output.find(c.why), std::string::npos) << output;
  }
  EXPECT_EQ(FirstDifference(Path("source"), Seed, SourceSize), -1);
}

// A log read back later, with `cat`, is a terminal's input too: no name or
// argument that the program echoes may carry a control character into it.
TEST_F(WhyMessages, NamesAreShownNeverObeyed) {
  WriteGenerated(Path("source"), Seed, 1000);
  const std::string retitle = Path("a\x1b]0;pwned\a.bin").string();
  fs::copy_file(Path("source"), retitle);
  const std::string renamedProgram = Path("blk\x1b[2Jcopy").string();
  fs::copy_file(BLKCOPY_EXE, renamedProgram);
  struct Shown {
    std::vector<std::string> args;
    const char* program;
    int exitCode;
    const char* line;
  };
  const Shown cases[] = {
      {{retitle, Path("b\x1b[2J.bin").string()}, BLKCOPY_EXE, 0, "b?[2J.bin written"},
      {{retitle, Path("c\rr\x7f\xc2\x9b.bin").string()}, BLKCOPY_EXE, 0, "c?r??.bin written"},
      {{retitle, "d\"\x1b[2J"}, BLKCOPY_EXE, 1, "The argument d\"?[2J holds"},
      {{retitle, "e\xff\x1b]0;x\a"}, BLKCOPY_EXE, 1, "(e\xef\xbf\xbd?]0;x?)"},
      {{}, renamedProgram.c_str(), 1, "  blk?[2Jcopy <sourcefilepath>"},
  };
  for (const Shown& c : cases) {
    SCOPED_TRACE(c.line);
    RunOptions options;
    options.program = c.program;
    EXPECT_EQ(RunProgram(c.args, options), c.exitCode);
    const std::string output = Output();
    EXPECT_NE(output.find(c.line), std::string::npos) << output;
    for (size_t i = 0; i < output.size(); ++i) {
      const unsigned char byte = static_cast<unsigned char>(output[i]);
      const bool lineEnd = byte == '\n' || (byte == '\r' && output.compare(i, 2, "\r\n") == 0);
      const bool c1 = byte == 0xC2 && i + 1 < output.size() &&
                      static_cast<unsigned char>(output[i + 1]) <= 0x9F;
      EXPECT_TRUE(lineEnd || (byte >= 0x20 && byte != 0x7F && !c1)) << "byte " << i << ": " << output;
    }
  }
}

}  // namespace
