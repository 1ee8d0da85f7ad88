// What only our POSIX layer does: the sector rule of unbuffered handles and
// the fault list.
#include "fileio/copy_fixture.h"
#include "platform/platform.h"
#include "platform/posix/faults.h"

using namespace copytest;

namespace {

class PosixFiles : public CopyTest {
 protected:
  void TearDown() override {
    PosixFaults::ClearFaults();
    CopyTest::TearDown();
  }
  HANDLE Open(const std::string& name, DWORD access, DWORD disposition, DWORD flags) {
    return CreateFileA(Path(name).string().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, disposition, flags, nullptr);
  }
};

TEST_F(PosixFiles, UnbufferedTransfersKeepToWholeSectors) {
  WriteBytes(Path("file"), Pattern(3 * Block));
  HANDLE file = Open("file", GENERIC_READ, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char* block = static_cast<char*>(
      VirtualAlloc(nullptr, 2 * Block, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  DWORD got = 0;
  EXPECT_FALSE(ReadFile(file, block, 1000, &got, nullptr));  // size
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(ReadFile(file, block + 1, Block, &got, nullptr));  // buffer address
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  LONG high = 0;
  EXPECT_EQ(SetFilePointer(file, 100, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(SetFilePointer(file, Block, &high, FILE_BEGIN), static_cast<DWORD>(Block));
  // A whole-sector request past the end delivers what is there.
  EXPECT_TRUE(ReadFile(file, block, 2 * Block, &got, nullptr));
  EXPECT_EQ(got, static_cast<DWORD>(2 * Block));
  EXPECT_TRUE(ReadFile(file, block, 2 * Block, &got, nullptr));
  EXPECT_EQ(got, 0u);
  VirtualFree(block, 0, MEM_RELEASE);
  CloseHandle(file);
}

TEST_F(PosixFiles, FaultRulesCountCallsAndFailWithTheirError) {
  ASSERT_TRUE(PosixFaults::SetFaults("FlushFileBuffers:after=1:error=1117:times=2"));
  HANDLE file = Open("file", GENERIC_WRITE, CREATE_ALWAYS, 0);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FlushFileBuffers(file));
  EXPECT_FALSE(FlushFileBuffers(file));
  EXPECT_EQ(GetLastError(), 1117u);
  EXPECT_FALSE(FlushFileBuffers(file));
  EXPECT_TRUE(FlushFileBuffers(file));

  // times=0: every call from there on; the failing call moves nothing.
  ASSERT_TRUE(PosixFaults::SetFaults("WriteFile:error=112:times=0"));
  DWORD put = 7;
  EXPECT_FALSE(WriteFile(file, "ab", 2, &put, nullptr));
  EXPECT_EQ(put, 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_FALSE(WriteFile(file, "ab", 2, &put, nullptr));
  CloseHandle(file);
  EXPECT_EQ(std::filesystem::file_size(Path("file")), 0u);

  // Defaults: the first call, once, with ERROR_GEN_FAILURE.
  ASSERT_TRUE(PosixFaults::SetFaults("CreateFileA"));
  EXPECT_EQ(Open("other", GENERIC_WRITE, CREATE_ALWAYS, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
  EXPECT_FALSE(std::filesystem::exists(Path("other")));
}

TEST_F(PosixFiles, AnUnreadableFaultListArmsNothing) {
  std::string problem;
  for (const char* bad : {"WriteFile:after", "WriteFile:after=x", ":error=5", "ReadFile:when=3",
                          "ReadFile,,WriteFile"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(PosixFaults::SetFaults(bad, &problem));
    EXPECT_FALSE(problem.empty());
  }
  EXPECT_FALSE(PosixFaults::CallFails("WriteFile"));
}

}  // namespace
