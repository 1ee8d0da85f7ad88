// The world as it is: sources and destinations that are no files (pipes,
// FIFOs, devices, /proc), block devices, files that others move, delete,
// shorten or write while the copy runs, and an output that closes. Every run
// is bounded by timeout -k; each ends byte-identical with exit code 0, or
// refused or failed with a line that says so and nothing written outside the
// destination's own bytes.
#include <sys/resource.h>

#include "support/missing_tool.h"
#include "support/program_posix.h"

using namespace reliability;

namespace {

const int Bound = 60;  // seconds any one run may take
const uint64_t SourceSeed = 21;
const uint64_t OtherSeed = 22;

class Hostile : public ProgramTest {
 protected:
  int RunBounded(const std::vector<std::string>& args) {
    return RunProgram(args, {"", false, Bound});
  }
  pid_t StartBounded(const std::vector<std::string>& args, const fs::path& output) {
    return Start(args, output, {"", false, Bound});
  }
  bool Said(const std::string& line) const {
    return Output().find(line + "\n") != std::string::npos;
  }
};

// ---- Refused before anything is written -----------------------------------

TEST_F(Hostile, WhatIsNoFileOrDiskIsRefusedBeforeAnythingIsWritten) {
  const std::string source = Path("source").string();
  const std::string dest = Path("dest").string();
  const std::string fifo = Path("fifo").string();
  WriteGenerated(source, SourceSeed, 100000);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string noSource = "The source is not a file or a disk";
  const std::string noDest = "The destination is not a file or a disk";
  struct Case {
    const char* what;
    std::string from, to, line;
    bool readerOnFifo;  // a reader holds the FIFO open, as `cat fifo` would
  };
  const Case cases[] = {
      {"a FIFO with no writer as source", fifo, dest, noSource, false},
      {"/dev/zero", "/dev/zero", dest, noSource, false},
      {"/dev/urandom", "/dev/urandom", dest, noSource, false},
      {"standard input", "/dev/stdin", dest, noSource, false},
      {"a /proc file", "/proc/self/status", dest, noSource, false},
      {"a sysfs file", "/sys/kernel/mm/transparent_hugepage/enabled", dest, noSource, false},
      {"a FIFO with no reader as destination", source, fifo, noDest, false},
      {"a FIFO with a reader as destination", source, fifo, noDest, true},
      {"/dev/null", source, "/dev/null", noDest, false},
  };
  for (const Case& c : cases) {
    if (!fs::exists(c.from)) continue;
    for (bool resume : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (resume ? " with /R" : ""));
      // An existing destination keeps every byte; a missing one stays missing.
      if (resume) WriteGenerated(dest, OtherSeed, 5000); else fs::remove(dest);
      const int reader =
          c.readerOnFifo ? ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
      std::vector<std::string> args = {c.from, c.to, "64K"};
      if (resume) args.push_back("/R");
      EXPECT_EQ(RunBounded(args), 2) << Output();
      EXPECT_TRUE(Said(c.line)) << Output();
      EXPECT_EQ(Output().find("File copy completed!"), std::string::npos);
      if (resume) {
        EXPECT_EQ(FirstDifference(dest, OtherSeed, 5000), -1);
      } else if (c.to == dest) {
        EXPECT_FALSE(fs::exists(dest));
      }
      if (reader >= 0) {
        char byte;
        EXPECT_LE(::read(reader, &byte, 1), 0);  // nothing reached the FIFO
        ::close(reader);
      }
    }
  }
  EXPECT_EQ(FirstDifference(source, SourceSeed, 100000), -1);
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// /R compares the destination's last block with the source's for every
// resume offset above 0, a destination as long as the source included.
TEST_F(Hostile, AResumeOntoAFileOfTheSameSizeIsCheckedToo) {
  const int64_t size = 100000;
  WriteGenerated(Path("source"), SourceSeed, size);
  WriteGenerated(Path("dest"), OtherSeed, size);
  const std::vector<std::string> args = {Path("source").string(), Path("dest").string(), "/R"};
  EXPECT_EQ(RunBounded(args), 2) << Output();
  EXPECT_TRUE(Said("The destination is not a partial copy of the source")) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), OtherSeed, size), -1);
  fs::copy_file(Path("source"), Path("dest"), fs::copy_options::overwrite_existing);
  EXPECT_EQ(RunBounded(args), 0) << Output();
  EXPECT_TRUE(Said("File copy completed!")) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), SourceSeed, size), -1);
}

// ---- Block devices ----------------------------------------------------------

class BlockDevice : public Hostile {
 protected:
  static const int64_t DeviceBytes = 8 * MiB;

  void SetUp() override {
    Hostile::SetUp();
    if (::geteuid() != 0) GTEST_SKIP() << "loop devices need root";
    WriteGenerated(Path("backing"), OtherSeed, DeviceBytes);
    const int attached =
        Guarded("losetup -f --show " + Path("backing").string() + " >" + Path("loop").string());
    if (attached != 0)
      GTEST_SKIP() << "losetup could not attach a loop device here (no /dev/loop-control?)";
    device_ = ReadAll(Path("loop"));
    device_.erase(device_.find_last_not_of("\n") + 1);
  }
  void TearDown() override {
    if (!device_.empty()) Guarded("losetup -d " + device_);
    Hostile::TearDown();
  }

  std::string device_;
};

TEST_F(BlockDevice, ImagesAreWrittenReadAndResumedWhole) {
  const int64_t image = 3 * MiB + 12345;  // a tail that is no whole block
  WriteGenerated(Path("image"), SourceSeed, image);
  WriteGenerated(Path("huge"), SourceSeed, DeviceBytes + 512);
  const std::string disk = Path("disk").string();

  // The image onto the device: its tail behind the full blocks, not at 0, and
  // the device's bytes beyond the image as they were.
  // Read back from the device with /V: the image's bytes, not the capacity.
  EXPECT_EQ(RunBounded({Path("image").string(), device_, "1M", "/V"}), 0) << Output();
  EXPECT_TRUE(Said("File copy completed!")) << Output();
  EXPECT_TRUE(Said("Verified: 3,158,073 bytes read back from the disk are identical to the "
                   "source."))
      << Output();
  EXPECT_EQ(FirstDifferenceBetween(Path("image"), device_), image);
  std::vector<char> after(DeviceBytes - image);
  {
    std::ifstream in(device_, std::ios::binary);
    in.seekg(image);
    in.read(after.data(), static_cast<std::streamsize>(after.size()));
    std::vector<char> expected(DeviceBytes);
    for (int64_t at = 0; at < DeviceBytes; at += static_cast<int64_t>(PieceBytes))
      FillPiece(OtherSeed, static_cast<uint64_t>(at) / PieceBytes, expected.data() + at,
                PieceBytes);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), expected.begin() + image));
  }

  // The device imaged: its whole capacity, shown as the source's size.
  EXPECT_EQ(RunBounded({device_, disk, "1M"}), 0) << Output();
  EXPECT_NE(Output().find("8,388,608"), std::string::npos) << Output();
  EXPECT_EQ(FirstDifferenceBetween(device_, disk), -1);
  // An interrupted image, continued with /R.
  ASSERT_EQ(::truncate(disk.c_str(), 3 * MiB), 0);
  EXPECT_EQ(RunBounded({device_, disk, "1M", "/R"}), 0) << Output();
  EXPECT_EQ(FirstDifferenceBetween(device_, disk), -1);

  // A source larger than the device, and /R onto a device: nothing written.
  struct Refusal {
    std::vector<std::string> args;
    int exit;
    const char* line;
  };
  const Refusal refusals[] = {
      {{Path("huge").string(), device_, "1M"}, 3,
       "The destination device is too small for the source"},
      {{Path("image").string(), device_, "1M", "/R"}, 2,
       "The destination is a device, so /R can't continue a copy onto it"},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(RunBounded(r.args), r.exit) << Output();
    EXPECT_TRUE(Said(r.line)) << Output();
    EXPECT_EQ(FirstDifferenceBetween(device_, disk), -1);
  }
}

// ---- Others at work during the copy -----------------------------------------

// A copy long enough to be caught running: `act` runs once its destination
// holds 8 MiB.
class Meddled : public Hostile {
 protected:
  static const int64_t Size = 192 * MiB + 12345;

  void SetUp() override {
    Hostile::SetUp();
    WriteGenerated(Path("source"), SourceSeed, Size);
  }
  int CopyWhile(const std::function<void()>& act) {
    const pid_t pid =
        StartBounded({Path("source").string(), Path("dest").string(), "64K"}, Path("output"));
    return ActAtSize(pid, Path("dest"), 8 * MiB, act);
  }
};

TEST_F(Meddled, ADestinationMovedOrASourceShortenedFailsTheCopy) {
  const fs::path source = Path("source");
  const fs::path dest = Path("dest");
  const fs::path moved = Path("moved");
  struct Case {
    const char* what;
    std::function<void()> act;
    const char* line;
    int64_t size;  // a whole number of blocks has no tail to open by name
  };
  const Case cases[] = {
      {"renamed", [&] { fs::rename(dest, moved); },
       "The destination was moved or deleted during the copy", Size},
      {"deleted", [&] { fs::remove(dest); },
       "The destination was moved or deleted during the copy", Size},
      {"renamed, whole blocks", [&] { fs::rename(dest, moved); },
       "The destination was moved or deleted during the copy", 192 * MiB},
      {"deleted, whole blocks", [&] { fs::remove(dest); },
       "The destination was moved or deleted during the copy", 192 * MiB},
      {"source cut to 1 MiB", [&] { fs::resize_file(source, MiB); },
       "The source got shorter during the copy", Size},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(dest);
    fs::remove(moved);
    WriteGenerated(source, SourceSeed, c.size);
    EXPECT_EQ(CopyWhile(c.act), 3) << Output();
    EXPECT_TRUE(Said(c.line)) << Output();
    EXPECT_EQ(Output().find("File copy completed!"), std::string::npos);
    if (fs::exists(moved)) {
      // The file that went away holds whole blocks of the source, and no tail
      // where the source has one; nothing new stands at the old path.
      EXPECT_FALSE(fs::exists(dest));
      EXPECT_EQ(SizeOf(moved) % (64 * 1024), 0);
      EXPECT_EQ(FirstDifference(moved, SourceSeed, SizeOf(moved)), -1);
    } else if (fs::exists(dest)) {
      // Longer than the source now is, and said so with both sizes.
      EXPECT_NE(Output().find("It had " + Grouped(Size) +
                              " bytes when the copy began and has 1,048,576 now"),
                std::string::npos)
          << Output();
      EXPECT_GT(SizeOf(dest), MiB);
    }
  }
  WriteGenerated(source, SourceSeed, Size);
}

// Another program writing either file while the copy runs: what it leaves in
// the sizes, the source's time or a hole of the destination fails the copy,
// which then does not carry the source's date either.
TEST_F(Meddled, AnotherProgramsWritesFailTheCopy) {
  const fs::path source = Path("source");
  const fs::path dest = Path("dest");
  const auto writeAt = [](const fs::path& file, int64_t offset) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    const std::string bytes(4096, 'x');
    EXPECT_EQ(::pwrite(fd, bytes.data(), bytes.size(), offset), 4096);
    ::close(fd);
  };
  const std::string destChanged = "Another program changed the destination during the copy";
  struct Case {
    const char* what;
    std::function<void()> act;
    std::string line, detail;
  };
  const Case cases[] = {
      {"destination cut to 0", [&] { fs::resize_file(dest, 0); }, destChanged,
       "It holds no data from byte 0 to byte "},
      {"destination written past the source's end", [&] { writeAt(dest, Size + MiB); },
       destChanged, "while " + Grouped(Size) + " bytes were written to it"},
      {"source's first block rewritten", [&] { writeAt(source, 0); },
       "Another program changed the source during the copy", "Its last-write time moved"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(dest);
    EXPECT_EQ(CopyWhile(c.act), 3) << Output();
    EXPECT_TRUE(Said(c.line)) << Output();
    EXPECT_NE(Output().find(c.detail), std::string::npos) << Output();
    EXPECT_EQ(Output().find("File copy completed!"), std::string::npos);
    EXPECT_NE(fs::last_write_time(dest), fs::last_write_time(source));
    WriteGenerated(source, SourceSeed, Size);
  }
  // Where the source holds zeros over the cut part too, the hole reads as the
  // copy would (as on a file system that stores zeros as holes): completed.
  {
    std::fstream out(source, std::ios::binary | std::ios::in | std::ios::out);
    const std::string zeros(MiB, '\0');
    for (int i = 0; i < 128; ++i) out.write(zeros.data(), MiB);
  }
  fs::remove(dest);
  EXPECT_EQ(CopyWhile([&] { fs::resize_file(dest, 0); }), 0) << Output();
  EXPECT_EQ(FirstDifferenceBetween(source, dest), -1);
}

TEST_F(Meddled, ASecondWriterIsRefusedWhileTheFirstCopies) {
  const std::vector<std::string> fresh = {Path("source").string(), Path("dest").string()};
  std::vector<std::string> resumed = fresh;
  resumed.push_back("/R");
  int second = -1;
  int third = -1;
  std::string secondSaid;
  const int first = CopyWhile([&] {
    second = reliability::Run(fresh, Path("second"), {"", false, Bound});
    third = reliability::Run(resumed, Path("third"), {"", false, Bound});
    secondSaid = ReadAll(Path("second")) + ReadAll(Path("third"));
  });
  EXPECT_EQ(second, 2) << secondSaid;
  EXPECT_EQ(third, 2) << secondSaid;
  EXPECT_NE(ReadAll(Path("second")).find("The destination is being written by another blkcopy"),
            std::string::npos)
      << secondSaid;
  EXPECT_EQ(first, 0) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), SourceSeed, Size), -1);
  // The lock went with the first copy: a copy after it runs. Where the file
  // system has no locks at all, a copy goes on without one.
  EXPECT_EQ(RunBounded({Path("source").string(), Path("dest").string(), "/R"}), 0) << Output();
  EXPECT_EQ(RunProgram(fresh, {"LockFile:error=50", false, Bound}), 0) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), SourceSeed, Size), -1);
}

// ---- The program's own surroundings ------------------------------------------

// Standard output into a pipe whose reader goes away (`blkcopy a b | head -1`)
// is only a failed write: the copy goes on and ends as it would.
TEST_F(Hostile, AnOutputThatClosesIsOnlyAFailedWrite) {
  const int64_t size = 64 * MiB + 7;
  WriteGenerated(Path("source"), SourceSeed, size);
  const fs::path pipe = Path("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  const pid_t pid = StartBounded({Path("source").string(), Path("dest").string(), "4K"}, pipe);
  ASSERT_GT(pid, 0);
  // The program has its output open once it writes the destination; then
  // the reader goes, before the lines that end the copy are written.
  while (SizeOf(Path("dest")) < MiB && waitpid(pid, nullptr, WNOHANG) == 0)
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  ::close(reader);
  EXPECT_EQ(Wait(pid), 0);
  EXPECT_EQ(FirstDifference(Path("dest"), SourceSeed, size), -1);
}

// A block far larger than the file costs no memory beyond what is read.
TEST_F(Hostile, AHugeBlockForASmallFileLeavesTheBufferUntouched) {
  WriteGenerated(Path("source"), SourceSeed, MiB);
  const pid_t pid = StartBounded({Path("source").string(), Path("dest").string(), "2047M"},
                                 Path("output"));
  int status = 0;
  struct rusage usage {};
  ASSERT_EQ(::wait4(pid, &status, 0, &usage), pid);
  EXPECT_EQ(Outcome(status), 0) << Output();
  EXPECT_LT(usage.ru_maxrss, 256 * 1024) << "KiB resident";
  EXPECT_EQ(FirstDifference(Path("dest"), SourceSeed, MiB), -1);
}

// The destination is the file standard output or standard error goes to,
// under any of its names: refused before anything is written, the lines on the
// other stream or nowhere.
TEST_F(Hostile, AStandardStreamIsNoDestination) {
  WriteGenerated(Path("source"), SourceSeed, MiB);
  const std::string run =
      "timeout -k 2 60 " + std::string(BLKCOPY_EXE) + " " + Path("source").string() + " ";
  const std::string f = Path("f").string();
  const std::string said = "The destination is the file that standard ";
  struct Case {
    const char* what;
    std::string command;  // run by sh; its own output goes to "output"
    bool toOutput;        // the lines reach "output"
  };
  const Case cases[] = {
      {"/dev/stdout > f", run + "/dev/stdout > " + f, true},
      {"f >> f", run + f + " >> " + f, true},
      {"f 2> f", run + f + " 2> " + f, true},
      {"f 2>> f, output to the caller", run + f + " 2>> " + f, true},
      {"f > f 2>&1", run + f + " > " + f + " 2>&1", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string before = "what f held\n";
    std::ofstream(f, std::ios::binary) << before;
    const std::string line =
        "sh -c '" + c.command + "' >" + Path("output").string() + " 2>&1 </dev/null";
    const int status = std::system(line.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2) << Output();
    // The shell may have emptied f for its redirection; nothing more happened.
    const std::string now = ReadAll(f);
    EXPECT_TRUE(now.empty() || now == before) << now;
    EXPECT_EQ(Output().find(said) != std::string::npos, c.toOutput) << Output();
  }
}

// The source reached through another mount: same size, times to the change
// time and first bytes, but another device number. Refused before it is
// truncated; a finished copy, whose change time is its own, is copied again.
TEST_F(Hostile, TheSourceThroughABindMountIsNotDestroyed) {
  if (::geteuid() != 0) GTEST_SKIP() << "bindfs needs root here";
  const fs::path real = Path("real");
  const fs::path mount = Path("mount");
  fs::create_directories(real);
  fs::create_directories(mount);
  WriteGenerated(real / "file", SourceSeed, 3 * MiB + 5);
  if (Guarded("bindfs " + real.string() + " " + mount.string()) != 0)
    SKIP_FOR_MISSING_TOOL("bindfs could not mount here (no bindfs, no /dev/fuse?)");
  struct Case {
    std::vector<std::string> args;
    int exit;
    const char* line;
  };
  const std::string file = (real / "file").string();
  const std::string other = (mount / "file").string();
  const Case cases[] = {
      {{file, other}, 2, "The destination may be the source under another path"},
      {{other, file}, 2, "The destination may be the source under another path"},
      {{file, other, "/R"}, 2, "The destination may be the source under another path"},
      {{file, Path("copy").string()}, 0, "File copy completed!"},
      {{file, Path("copy").string()}, 0, "File copy completed!"},  // a finished copy again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    EXPECT_EQ(RunBounded(c.args), c.exit) << Output();
    EXPECT_TRUE(Said(c.line)) << Output();
    EXPECT_EQ(FirstDifference(real / "file", SourceSeed, 3 * MiB + 5), -1);
  }
  Guarded("fusermount -u " + mount.string());
}

// A block buffer the process may not have (ulimit -v) stops the copy before
// the destination is opened: an existing one keeps its bytes.
TEST_F(Hostile, NoBufferLeavesTheDestinationAsItWas) {
  if (SanitizedBuild) GTEST_SKIP() << "the sanitizers can't start under ulimit -v";
  WriteGenerated(Path("source"), SourceSeed, 8 * MiB);
  const std::string limited = "ulimit -v 400000; exec timeout -k 2 60 " +
                              std::string(BLKCOPY_EXE) + " " + Path("source").string() + " " +
                              Path("dest").string() + " ";
  for (const char* tail : {"1000M", "2047M", "2047M /R"}) {
    SCOPED_TRACE(tail);
    WriteGenerated(Path("dest"), OtherSeed, 10 * MiB);
    const std::string line = "bash -c '" + limited + tail + "' >" + Path("output").string() +
                             " 2>&1 </dev/null";
    const int status = std::system(line.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 3) << Output();
    EXPECT_TRUE(Said("Could not allocate a block buffer of " +
                     std::string(tail[0] == '1' ? "1,048,576,000" : "2,146,435,072") +
                     " bytes (system error 8). Use a smaller block size, such as 1M, and run the "
                     "command again."))
        << Output();
    EXPECT_EQ(FirstDifference(Path("dest"), OtherSeed, 10 * MiB), -1);
  }
}

}  // namespace
