// The fault rules at the copy engine's call table: counts, errors, and a
// list that can't be read.
#include "support/copy_fixture.h"

using namespace copytest;
using modFileIO::FilePlatform;

namespace {

class FaultRules : public CopyFaultTest {
 protected:
  HANDLE Open(const std::string& name, DWORD access, DWORD disposition, DWORD flags) {
    return FilePlatform.CreateFileA(Path(name).string().c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                                    flags, nullptr);
  }
};

TEST_F(FaultRules, FaultRulesCountCallsAndFailWithTheirError) {
  ASSERT_TRUE(FileFaults::SetFaults("FlushFileBuffers:after=1:error=1117:times=2"));
  HANDLE file = Open("file", GENERIC_WRITE, CREATE_ALWAYS, 0);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FilePlatform.FlushFileBuffers(file));
  EXPECT_FALSE(FilePlatform.FlushFileBuffers(file));
  EXPECT_EQ(GetLastError(), 1117u);
  EXPECT_FALSE(FilePlatform.FlushFileBuffers(file));
  EXPECT_TRUE(FilePlatform.FlushFileBuffers(file));

  // times=0: every call from there on; the failing call moves nothing.
  ASSERT_TRUE(FileFaults::SetFaults("WriteFile:error=112:times=0"));
  DWORD put = 7;
  EXPECT_FALSE(FilePlatform.WriteFile(file, "ab", 2, &put, nullptr));
  EXPECT_EQ(put, 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_FALSE(FilePlatform.WriteFile(file, "ab", 2, &put, nullptr));
  FilePlatform.CloseHandle(file);
  EXPECT_EQ(std::filesystem::file_size(Path("file")), 0u);

  // Defaults: the first call, once, with ERROR_GEN_FAILURE.
  ASSERT_TRUE(FileFaults::SetFaults("CreateFileA"));
  EXPECT_EQ(Open("other", GENERIC_WRITE, CREATE_ALWAYS, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
  EXPECT_FALSE(std::filesystem::exists(Path("other")));
}

TEST_F(FaultRules, AnUnreadableFaultListArmsNothing) {
  std::string problem;
  for (const char* bad : {"WriteFile:after", "WriteFile:after=x", ":error=5", "ReadFile:when=3",
                          "ReadFile,,WriteFile", "ReadFileA", "CopyFileA:error=5"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(FileFaults::SetFaults(bad, &problem));
    EXPECT_FALSE(problem.empty());
  }
  EXPECT_FALSE(FileFaults::CallFails("WriteFile"));
}

}  // namespace
