// The copy engine's failure paths, reached through the faults that stand in
// front of its call table.
#include "support/copy_fixture.h"

using namespace copytest;
using namespace modFileIO;

namespace {

class CopyFaults : public CopyFaultTest {
 protected:
  void Inject(const std::string& spec) { ASSERT_TRUE(FileFaults::SetFaults(spec)); }
};

// A failed or short read, a full disk (for every block or for the buffered tail alone)
// and a tail handle that can't be opened: the copy fails with the whole blocks
// before the failure in place and says why; once the fault is gone, /R
// finishes the copy.
TEST_F(CopyFaults, AFailedCallFailsTheCopyAndResumeFinishesIt) {
  const struct {
    const char* faults;
    size_t size, kept;
    const wchar_t *first, *second;
  } cases[] = {
      {"ReadFile:after=3:error=1117", 10 * Block, 3 * Block, L"ReadFile returned 0??",
       L"system error 1117"},
      // A read that comes back short before the end is no end.
      {"ReadFile:after=3:short=512", 10 * Block, 3 * Block,
       L"ReadFile returned 512 of 4,096 bytes before the end of the source",
       L"The read at byte 12,288 stopped short, while the source has 40,960 bytes"},
      {"WriteFile:after=5:error=112:times=0", 20 * Block + 50, 5 * Block,
       L"Write file returned 0, getlasterror is 112", L"disk is full"},
      {"WriteFile:after=2:error=112", 2 * Block + 10, 2 * Block,
       L"buffered Write file returned 0, getlasterror is 112", L"disk is full"},
      // Source, the identity probe, the lock's guard, destination, then the tail.
      {"CreateFileA:after=4:error=32", 2 * Block + 10, 2 * Block,
       L"Could not open buffered destination file", L"system error 32"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.faults);
    CapturedLines().clear();
    const std::string bytes = Pattern(c.size, static_cast<unsigned>(c.kept));
    Inject(c.faults);
    EXPECT_EQ(FreshCopy(bytes), CopyFailed);
    EXPECT_TRUE(Dest() == bytes.substr(0, c.kept));
    ASSERT_GE(CapturedLines().size(), 2u) << AllLines();
    EXPECT_EQ(CapturedLines()[0], c.first);
    EXPECT_NE(CapturedLines()[1].find(c.second), std::wstring::npos) << AllLines();
    EXPECT_FALSE(Said(L"File copy completed!"));
    FileFaults::ClearFaults();
    EXPECT_EQ(Resume(), CopyCompleted) << AllLines();
    EXPECT_TRUE(Dest() == bytes);
  }
}

TEST_F(CopyFaults, AReadRefusedRightAfterTheShortBlockIsTheEnd) {
  const std::string bytes = Pattern(3 * Block + 100, 2);
  Inject("ReadFile:after=4:error=87");  // the read after the short block
  EXPECT_EQ(FreshCopy(bytes), CopyCompleted) << AllLines();
  EXPECT_TRUE(Dest() == bytes);
  EXPECT_FALSE(Said(L"ReadFile returned 0??"));
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

// The buffer comes before the destination is opened: an existing one keeps
// every byte, and a missing one is not created.
TEST_F(CopyFaults, AnUnallocatableBufferLeavesTheDestinationAsItWas) {
  const std::string kept = Pattern(3 * Block, 9);
  for (bool exists : {true, false}) {
    SCOPED_TRACE(exists);
    std::filesystem::remove(Path("dest"));
    if (exists) WriteBytes(Path("dest"), kept);
    Inject("VirtualAlloc:error=8");
    EXPECT_EQ(FreshCopy(Pattern(Block, 8)), CopyFailed);
    EXPECT_TRUE(Said(L"Could not allocate a block buffer of 4,096 bytes")) << AllLines();
    EXPECT_EQ(std::filesystem::exists(Path("dest")), exists);
    EXPECT_TRUE(!exists || Dest() == kept);
  }
}

// A destination as long as the source completes only when its last block is
// the source's; its end, no whole sector, is reached through buffered handles.
TEST_F(CopyFaults, AFinishedCopyIsCheckedButNotCopiedAgain) {
  const std::string bytes = Pattern(3 * Block + 100, 11);
  WriteBytes(Path("source"), bytes);
  WriteBytes(Path("dest"), bytes);
  // Written within one tick of the clock, the two would share every time, as
  // one file reached by two paths does; a copy is dated later.
  std::filesystem::last_write_time(
      Path("dest"), std::filesystem::last_write_time(Path("source")) + std::chrono::seconds(1));
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

}  // namespace
