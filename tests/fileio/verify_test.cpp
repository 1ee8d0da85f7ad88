// The verify pass with real files, on every platform: what it says of a copy
// read back whole, of a stop and of a read that fails.
#include "support/copy_fixture.h"

using namespace copytest;
using namespace modFileIO;

namespace {

class Verify : public CopyFaultTest {
 protected:
  const std::wstring& LastLine() const { return CapturedLines().back(); }
};

TEST_F(Verify, EveryWayOfEndingSaysWhatWasReadBack) {
  struct Case {
    const char* what;
    size_t size;
    long long held;      // bytes the destination holds before, -1: a fresh copy
    bool breakPressed;   // Ctrl+C comes during the verify (no full block to stop the copy)
    const char* faults;  // the reads are counted from the copy's first
    CopyOutcome outcome;
    const wchar_t* line;
  };
  const Case cases[] = {
      {"fresh", 3 * Block + 5, -1, false, "", CopyCompleted,
       L"Verified: 12,293 bytes read back from the disk are identical to the source."},
      {"empty", 0, -1, false, "", CopyCompleted,
       L"Verified: 0 bytes read back from the disk are identical to the source."},
      {"resumed: the whole file", 3 * Block + 5, 2 * Block, false, "", CopyCompleted,
       L"Verified: 12,293 bytes read back"},
      {"finished copy", 3 * Block + 5, 3 * Block + 5, false, "", CopyCompleted,
       L"Verified: 12,293 bytes read back"},
      {"Ctrl+C during the verify", Block - 1, -1, true, "", CopyStopped,
       L"The copy is complete (4,095 bytes), but not verified"},
      // Every read after the copy's three fails, in both threads of the verify.
      {"the read-back failing", 2 * Block + 10, -1, false, "ReadFile:after=3:error=1117:times=0",
       CopyFailed, L"Reading it from byte 0 on failed with system error 1117"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CapturedLines().clear();
    const std::string bytes = Pattern(c.size, 21);
    WriteBytes(Path("source"), bytes);
    std::filesystem::remove(Path("dest"));
    if (c.held >= 0) {
      WriteBytes(Path("dest"), bytes.substr(0, static_cast<size_t>(c.held)));
      // A copy is dated after its source (see AFinishedCopyIsCheckedButNotCopiedAgain).
      std::filesystem::last_write_time(Path("dest"),
                                       std::filesystem::last_write_time(Path("source")) +
                                           std::chrono::seconds(1));
    }
    Con::BreakFlag.store(c.breakPressed);
    if (*c.faults) {
      ASSERT_TRUE(FileFaults::SetFaults(c.faults));
    }
    const std::wstring source = W(Path("source")), dest = W(Path("dest"));
    EXPECT_EQ(c.held >= 0 ? ResumeCopy(source, dest, true) : StartCopy(source, dest, true),
              c.outcome);
    FileFaults::ClearFaults();
    EXPECT_TRUE(Dest() == bytes);
    ASSERT_FALSE(CapturedLines().empty());
    EXPECT_EQ(LastLine().find(c.line), 0u) << AllLines();
    EXPECT_EQ(Said(L"File copy completed!"), c.outcome == CopyCompleted) << AllLines();
  }
}

}  // namespace
