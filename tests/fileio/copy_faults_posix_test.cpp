// The copy engine's failure paths, reached through the POSIX layer's fault
// injection, and what only a native disk shows (the sector rule, links,
// sparse files past 4 GiB).
#include <sys/wait.h>

#include <cstdlib>

#include "fileio/copy_fixture.h"
#include "platform/posix/faults.h"

using namespace copytest;
using namespace modFileIO;

namespace {

class CopyFaults : public CopyTest {
 protected:
  void TearDown() override {
    PosixFaults::ClearFaults();
    CopyTest::TearDown();
  }
  void Inject(const std::string& spec) { ASSERT_TRUE(PosixFaults::SetFaults(spec)); }
  std::string Dest() { return ReadBytes(Path("dest")); }
};

TEST_F(CopyFaults, AFailedReadIsAFailedCopy) {
  const std::string bytes = Pattern(10 * Block, 1);
  Inject("ReadFile:after=3:error=1117");
  EXPECT_EQ(FreshCopy(bytes), CopyFailed);
  EXPECT_TRUE(Dest() == bytes.substr(0, 3 * Block));
  ASSERT_GE(CapturedLines().size(), 2u);
  EXPECT_EQ(CapturedLines()[0], L"ReadFile returned 0??");
  EXPECT_NE(CapturedLines()[1].find(L"system error 1117"), std::wstring::npos) << AllLines();
  EXPECT_FALSE(Said(L"File copy completed!"));
}

TEST_F(CopyFaults, AReadRefusedRightAfterTheShortBlockIsTheEnd) {
  const std::string bytes = Pattern(3 * Block + 100, 2);
  Inject("ReadFile:after=4:error=87");  // the read after the short block
  EXPECT_EQ(FreshCopy(bytes), CopyCompleted) << AllLines();
  EXPECT_TRUE(Dest() == bytes);
  EXPECT_FALSE(Said(L"ReadFile returned 0??"));
}

TEST_F(CopyFaults, AFullDiskStopsTheCopyAndResumeFinishesIt) {
  const std::string bytes = Pattern(20 * Block + 50, 3);
  Inject("WriteFile:after=5:error=112:times=0");
  EXPECT_EQ(FreshCopy(bytes), CopyFailed);
  EXPECT_TRUE(Dest() == bytes.substr(0, 5 * Block));
  EXPECT_EQ(CapturedLines().at(0), L"Write file returned 0, getlasterror is 112");
  EXPECT_TRUE(Said(L"disk is full")) << AllLines();
  EXPECT_FALSE(Said(L"File copy completed!"));

  PosixFaults::ClearFaults();
  EXPECT_EQ(Resume(), CopyCompleted) << AllLines();
  EXPECT_TRUE(Dest() == bytes);
}

TEST_F(CopyFaults, AFailedTailWriteLeavesTheFullBlocks) {
  const std::string bytes = Pattern(2 * Block + 10, 4);
  Inject("WriteFile:after=2:error=112");
  EXPECT_EQ(FreshCopy(bytes), CopyFailed);
  EXPECT_TRUE(Dest() == bytes.substr(0, 2 * Block));
  EXPECT_EQ(CapturedLines().at(0), L"buffered Write file returned 0, getlasterror is 112");
}

TEST_F(CopyFaults, ATailHandleThatCannotBeOpenedEndsTheCopyAsFailed) {
  const std::string bytes = Pattern(2 * Block + 10, 5);
  // Source, the identity probe, the lock's guard, destination, then the tail.
  Inject("CreateFileA:after=4:error=32");
  EXPECT_EQ(FreshCopy(bytes), CopyFailed);
  EXPECT_TRUE(Dest() == bytes.substr(0, 2 * Block));
  EXPECT_EQ(CapturedLines().at(0), L"Could not open buffered destination file");
  EXPECT_TRUE(Said(L"system error 32")) << AllLines();
  EXPECT_FALSE(Said(L"File copy completed!"));
}

TEST_F(CopyFaults, AResumeThatCannotBePositionedTouchesNothing) {
  const std::string bytes = Pattern(4 * Block, 6);
  WriteBytes(Path("source"), bytes);
  const char* expected[] = {"Could not seek to offset in source file",
                            "Could not seek to offset in destination file"};
  for (int call = 0; call < 2; ++call) {
    SCOPED_TRACE(call);
    CapturedLines().clear();
    WriteBytes(Path("dest"), bytes.substr(0, 2 * Block));
    Inject("SetFilePointer:error=5:after=" + std::to_string(call));
    EXPECT_EQ(Resume(), CopyNotStarted);
    EXPECT_TRUE(Dest() == bytes.substr(0, 2 * Block));
    const std::string line = expected[call];
    EXPECT_EQ(CapturedLines().at(0), std::wstring(line.begin(), line.end()));
    EXPECT_TRUE(Said(L"system error 5")) << AllLines();
  }
}

TEST_F(CopyFaults, AFailedFlushIsAFailedCopy) {
  // The tail's own flush, then the destination's before "completed", then the
  // destination's on a break.
  for (size_t size : {2 * Block + 10, 2 * Block, 5 * Block}) {
    SCOPED_TRACE(size);
    CapturedLines().clear();
    Con::BreakFlag.store(size == 5 * Block);
    Inject("FlushFileBuffers:error=1117");
    EXPECT_EQ(FreshCopy(Pattern(size, 7)), CopyFailed);
    EXPECT_TRUE(Said(L"Could not flush the destination file to disk, getlasterror is 1117"))
        << AllLines();
    EXPECT_FALSE(Said(L"File copy completed!"));
  }
}

TEST_F(CopyFaults, AnUnallocatableBufferIsReportedNotCrashedOn) {
  Inject("VirtualAlloc:error=8");
  EXPECT_EQ(FreshCopy(Pattern(Block, 8)), CopyFailed);
  EXPECT_TRUE(Said(L"Could not allocate a block buffer of 4096 bytes")) << AllLines();
}

TEST_F(CopyFaults, ABlockSizeOfNoWholeSectorsEndsAsFailed) {
  BufferBytes = 1000;
  EXPECT_EQ(FreshCopy(Pattern(5000, 9)), CopyFailed);
  EXPECT_EQ(Dest(), "");
  EXPECT_EQ(CapturedLines().at(0), L"ReadFile returned 0??");
  EXPECT_TRUE(Said(L"block size, 1000 bytes, is not a whole number of the disk's sectors"))
      << AllLines();
}

TEST_F(CopyFaults, AResumeOffsetOfNoWholeSectorsIsExplained) {
  const std::string bytes = Pattern(3 * Block, 10);
  WriteBytes(Path("source"), bytes);
  WriteBytes(Path("dest"), bytes.substr(0, 1000));
  EXPECT_EQ(Resume(), CopyNotStarted);
  EXPECT_EQ(Dest(), bytes.substr(0, 1000));
  EXPECT_EQ(CapturedLines().at(0), L"Could not seek to offset in source file");
  EXPECT_TRUE(Said(L"1000 bytes, is not a whole number of the disk's sectors")) << AllLines();
}

// A destination as long as the source completes only when its last block is
// the source's; its end, no whole sector, is reached through buffered handles.
TEST_F(CopyFaults, AFinishedCopyIsCheckedButNotCopiedAgain) {
  const std::string bytes = Pattern(3 * Block + 100, 11);
  WriteBytes(Path("source"), bytes);
  WriteBytes(Path("dest"), bytes);
  EXPECT_EQ(Resume(), CopyCompleted) << AllLines();
  EXPECT_EQ(CapturedLines().at(0), L"File copy completed!");
  std::string other = bytes;
  other.back() ^= 1;
  WriteBytes(Path("dest"), other);
  CapturedLines().clear();
  EXPECT_EQ(Resume(), CopyNotStarted) << AllLines();
  EXPECT_EQ(CapturedLines().at(0), L"The destination is not a partial copy of the source");
  EXPECT_TRUE(Dest() == other);
}

TEST_F(CopyFaults, LinksToTheSourceAreTheSameFile) {
  const std::string bytes = Pattern(Block + 3, 12);
  WriteBytes(Path("source"), bytes);
  std::filesystem::create_hard_link(Path("source"), Path("hard"));
  std::filesystem::create_symlink(Path("source"), Path("soft"));
  for (const char* link : {"hard", "soft"}) {
    EXPECT_EQ(StartCopy(W(Path("source")), W(Path(link))), CopyNotStarted) << link;
    EXPECT_EQ(StartCopy(W(Path(link)), W(Path("source"))), CopyNotStarted) << link;
  }
  EXPECT_TRUE(ReadBytes(Path("source")) == bytes);
}

TEST_F(CopyFaults, AResumePastFourGigabytesStartsAtTheRightByte) {
  // Sparse files: the first 4 GiB are holes in both, except one block just
  // below the line that both hold. The resume offset has a low half of 0.
  const int64_t fourGiB = 4294967296LL;
  const std::string below = Pattern(Block, 13);
  const std::string above = Pattern(Block + 5000, 14);
  {
    std::fstream source(Path("source"), std::ios::out | std::ios::binary);
    source.seekp(fourGiB - Block);
    source.write(below.data(), Block);
    source.write(above.data(), static_cast<std::streamsize>(above.size()));
    std::fstream dest(Path("dest"), std::ios::out | std::ios::binary);
    dest.seekp(fourGiB - Block);
    dest.write(below.data(), Block);
  }
  ASSERT_EQ(std::filesystem::file_size(Path("dest")), static_cast<uintmax_t>(fourGiB));
  BufferBytes = 64 * 1024;
  EXPECT_EQ(Resume(), CopyCompleted) << AllLines();
  ASSERT_EQ(std::filesystem::file_size(Path("dest")), std::filesystem::file_size(Path("source")));
  std::ifstream dest(Path("dest"), std::ios::binary);
  dest.seekg(fourGiB - Block);
  std::string end(Block + above.size(), '\0');
  dest.read(&end[0], static_cast<std::streamsize>(end.size()));
  EXPECT_TRUE(end == below + above);
}

// The program itself: BLKCOPY_FAULTS reaches the file layer, and the outcome
// becomes the exit code.
TEST_F(CopyFaults, TheProgramTakesItsFaultsFromTheEnvironment) {
  const std::string bytes = Pattern(6 * Block + 7, 15);
  WriteBytes(Path("source"), bytes);
  const std::string command = std::string(BLKCOPY_EXE) + " \"" + Path("source").string() +
                              "\" \"" + Path("dest").string() + "\" 4K > \"" +
                              Path("output").string() + "\" 2>&1 </dev/null";
  const auto run = [&](const std::string& faults) {
    const int status = std::system(("BLKCOPY_FAULTS='" + faults + "' " + command).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run("WriteFile:after=2:error=112:times=0"), 3);
  EXPECT_TRUE(Dest() == bytes.substr(0, 2 * Block));
  const std::string output = ReadBytes(Path("output"));
  // Empty while the console layer writes nothing.
  if (!output.empty()) {
    EXPECT_NE(output.find("Write file returned 0, getlasterror is 112"), std::string::npos);
  }
  EXPECT_EQ(run("CreateFileA:after=2:error=5"), 2);  // the destination
  EXPECT_EQ(run(""), 0);
  EXPECT_TRUE(Dest() == bytes);
}

}  // namespace
