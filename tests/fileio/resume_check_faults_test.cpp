// The resume check's own failures, reached through the faults that stand in
// front of the engine's call table: each stops the resume with nothing
// written.
#include "support/copy_fixture.h"

using namespace copytest;
using namespace modFileIO;

namespace {

class ResumeCheckFaults : public CopyFaultTest {};

TEST_F(ResumeCheckFaults, ACheckThatCannotReadStopsTheResume) {
  const std::string bytes = Pattern(8 * Block + 9, 1);
  const std::string kept = bytes.substr(0, 3 * Block);
  WriteBytes(Path("source"), bytes);
  struct Case {
    const char* faults;
    const wchar_t* line;
  };
  // Calls counted: CreateFileA opens the source, the identity probe, then the
  // lock's guard, which reads the destination back for the check (refused
  // reading, it is opened for writing alone); the check reads the source
  // first.
  const Case cases[] = {
      {"CreateFileA:after=2:error=5",
       L"Could not read the destination file to check that it is a partial copy of the source "
       L"(system error 5)"},
      {"ReadFile:error=1117", L"ReadFile returned 0??"},
      {"ReadFile:after=1:error=1117",
       L"Could not read the destination file to check that it is a partial copy of the source "
       L"(system error 1117)"},
      {"SetFilePointer:after=2:error=87", L"Could not seek to offset in source file"},
      {"SetFilePointer:after=3:error=87", L"Could not read the destination file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.faults);
    CapturedLines().clear();
    WriteBytes(Path("dest"), kept);
    ASSERT_TRUE(FileFaults::SetFaults(c.faults));
    EXPECT_EQ(Resume(), CopyNotStarted);
    FileFaults::ClearFaults();
    EXPECT_TRUE(ReadBytes(Path("dest")) == kept);
    ASSERT_FALSE(CapturedLines().empty());
    EXPECT_EQ(CapturedLines()[0].find(c.line), 0u) << AllLines();
    EXPECT_FALSE(Said(L"File copy completed!"));
  }
}

}  // namespace
