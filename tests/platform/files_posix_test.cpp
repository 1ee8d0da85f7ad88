// What only our POSIX layer does: the sector rule of unbuffered handles.
#include "support/copy_fixture.h"
#include "platform/platform.h"

using namespace copytest;

namespace {

using PosixFiles = CopyTest;

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

}  // namespace
