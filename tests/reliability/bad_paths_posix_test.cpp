// Sources and destinations the program can't use, or that change under it:
// each gives a clear message and the documented exit code, and a destination
// that was there stays untouched where the copy never started.
#include <cctype>

#include "support/program_posix.h"

using namespace reliability;

namespace {

const uint64_t Seed = 10;
const int64_t SourceSize = 3 * MiB + 100;
// What an existing destination holds before each refused run.
const uint64_t OldSeed = 11;
const int64_t OldSize = 2 * MiB;
const char* const UnreadableOrFolder = "The source is a folder, or you have no right to read it.";
const char* const ReadOnlyOrFolder =
    "The destination is a folder or a read-only file, or you have no right to write there.";

class BadPaths : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    WriteGenerated(Path("source"), Seed, SourceSize);
  }

  // Both a fresh copy and /R from `source` to `dest` stop before copying:
  // exit code 2, `line` first. `dest`, when it is a file, keeps its bytes.
  void ExpectRefused(const fs::path& source, const fs::path& dest, const std::string& line,
                     const std::string& why, const RunOptions& options = {}) {
    for (bool resume : {false, true}) {
      SCOPED_TRACE(resume ? "/R" : "fresh");
      std::vector<std::string> args = {source.string(), dest.string(), "64K"};
      if (resume) args.push_back("/R");
      EXPECT_EQ(RunProgram(args, options), 2) << Output();
      EXPECT_EQ(Output().find(line + "\n" + why), 0u) << Output();
      EXPECT_NE(Output().find("Nothing was copied.\n"), std::string::npos) << Output();
      EXPECT_EQ(Output().find("File copy completed!"), std::string::npos);
      if (fs::is_regular_file(dest)) {
        EXPECT_EQ(FirstDifference(dest, OldSeed, OldSize), -1);
      }
    }
    EXPECT_EQ(FirstDifference(Path("source"), Seed, SourceSize), -1);
  }

  // Root may open any file, so the permission cases run the program as
  // nobody; true when this process may switch to it and nobody reaches the
  // program.
  bool NobodyCanRun() {
    if (::geteuid() != 0) return false;
    const fs::path exe = BLKCOPY_EXE;
    for (fs::path folder = exe.parent_path(); folder != folder.root_path();
         folder = folder.parent_path())
      if ((fs::status(folder).permissions() & fs::perms::others_exec) == fs::perms::none)
        return false;
    return true;
  }
};

TEST_F(BadPaths, SourcesThatCannotBeReadLeaveTheDestinationAlone) {
  WriteGenerated(Path("dest"), OldSeed, OldSize);
  const std::string line = "Could not open source file";
  ExpectRefused(Path("missing"), Path("dest"), line, "The source file does not exist.");
  ExpectRefused(Path("no folder") / "source", Path("dest"), line,
                "A folder in the source path does not exist.");
  fs::create_directory(Path("folder"));
  ExpectRefused(Path("folder"), Path("dest"), line, UnreadableOrFolder);
}

TEST_F(BadPaths, DestinationsThatCannotBeWrittenStopBeforeAnything) {
  const std::string line = "Could not open destination file";
  ExpectRefused(Path("source"), Path("no folder") / "dest", line,
                "A folder in the destination path does not exist.");
  EXPECT_FALSE(fs::exists(Path("no folder")));
  fs::create_directory(Path("folder"));
  WriteGenerated(Path("folder") / "inside", OldSeed, OldSize);
  ExpectRefused(Path("source"), Path("folder"), line, ReadOnlyOrFolder);
  EXPECT_EQ(FirstDifference(Path("folder") / "inside", OldSeed, OldSize), -1);
}

TEST_F(BadPaths, PermissionDeniedIsRefusedForAnOrdinaryUser) {
  if (!NobodyCanRun()) GTEST_SKIP() << "needs root, and the program within reach of user nobody";
  const RunOptions nobody{"", true};
  // An unreadable source; the destination is the user's own.
  WriteGenerated(Path("dest"), OldSeed, OldSize);
  ASSERT_EQ(::chown(Path("dest").c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(Path("source").c_str(), 0), 0);
  ExpectRefused(Path("source"), Path("dest"), "Could not open source file", UnreadableOrFolder,
                nobody);
  // A read-only destination.
  ASSERT_EQ(::chmod(Path("source").c_str(), 0644), 0);
  ASSERT_EQ(::chmod(Path("dest").c_str(), 0444), 0);
  ExpectRefused(Path("source"), Path("dest"), "Could not open destination file",
                ReadOnlyOrFolder, nobody);
}

TEST_F(BadPaths, AResumeOntoAnotherFileIsRefused) {
  WriteGenerated(Path("dest"), OldSeed, OldSize);
  EXPECT_EQ(RunProgram({Path("source").string(), Path("dest").string(), "/R"}), 2);
  EXPECT_EQ(Output().find("The destination is not a partial copy of the source\n"), 0u)
      << Output();
  EXPECT_NE(Output().find("run the command without /R"), std::string::npos) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), OldSeed, OldSize), -1);
  // As the message says: without /R the copy is made.
  EXPECT_EQ(RunProgram({Path("source").string(), Path("dest").string()}), 0) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), Seed, SourceSize), -1);
}

// POSIX lets a file open for reading be deleted; the open file lives on until
// the copy closes it, so the copy completes. (Windows refuses the deletion:
// the source is opened without FILE_SHARE_DELETE.)
TEST_F(BadPaths, ASourceDeletedDuringTheCopyIsCopiedWhole) {
  const int64_t size = 64 * MiB;
  WriteGenerated(Path("big"), Seed, size);
  const pid_t pid = Start({Path("big").string(), Path("dest").string(), "64K"}, Path("output"));
  ASSERT_GT(pid, 0);
  const auto unlink = [&] { ASSERT_EQ(::unlink(Path("big").c_str()), 0); };
  EXPECT_EQ(ActAtSize(pid, Path("dest"), 16 * MiB, unlink), 0) << Output();
  EXPECT_NE(Output().find("File copy completed!"), std::string::npos) << Output();
  EXPECT_EQ(FirstDifference(Path("dest"), Seed, size), -1);
}

// Appended to while it is copied: the copy ends with the bytes it read, all
// in their places, and more of them than the source had at the start.
TEST_F(BadPaths, ASourceThatGrowsDuringTheCopyEndsWithWhatWasRead) {
  const int64_t start = 64 * MiB + 100;
  const int64_t grown = start + 64 * MiB;
  WriteGenerated(Path("big"), Seed, start);
  const pid_t pid = Start({Path("big").string(), Path("dest").string(), "64K"}, Path("output"));
  ASSERT_GT(pid, 0);
  const auto grow = [&] { AppendGenerated(Path("big"), Seed, start, grown); };
  EXPECT_EQ(ActAtSize(pid, Path("dest"), 1, grow), 0) << Output();
  EXPECT_NE(Output().find("File copy completed!"), std::string::npos) << Output();
  const int64_t copied = SizeOf(Path("dest"));
  EXPECT_GT(copied, start);
  EXPECT_LE(copied, grown);
  EXPECT_EQ(FirstDifference(Path("dest"), Seed, copied), -1);
  // The summary counts them, past the size the source had at the start (the
  // box's percentage over 100% is the progress screen's own test).
  const std::string output = Output();
  const size_t total = output.find("Total bytes:");
  ASSERT_NE(total, std::string::npos) << output;
  std::string digits;
  for (size_t i = total; i < output.size() && output[i] != '\r' && output[i] != '\n'; ++i)
    if (std::isdigit(static_cast<unsigned char>(output[i]))) digits += output[i];
  EXPECT_EQ(digits, std::to_string(copied)) << output;
}

}  // namespace
