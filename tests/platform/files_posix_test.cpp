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

// The data ranges of a file with a hole between two pieces of data, as
// Windows lists a sparse file's; a buffer too small for them all gets the
// first and ERROR_MORE_DATA.
TEST_F(PosixFiles, AllocatedRangesAreTheDataAroundHoles) {
  const int64_t piece = 1 << 20;
  WriteBytes(Path("file"), Pattern(piece));
  {
    std::fstream out(Path("file"), std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(3 * piece);
    const std::string more = Pattern(piece, 2);
    out.write(more.data(), static_cast<std::streamsize>(more.size()));
  }
  HANDLE file = Open("file", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILE_ALLOCATED_RANGE_BUFFER query;
  query.FileOffset.QuadPart = 0;
  query.Length.QuadPart = 4 * piece;
  FILE_ALLOCATED_RANGE_BUFFER ranges[4];
  DWORD bytes = 0;
  ASSERT_TRUE(DeviceIoControl(file, FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, ranges,
                              sizeof ranges, &bytes, nullptr));
  if (bytes == sizeof ranges[0] && ranges[0].Length.QuadPart == 4 * piece)
    GTEST_SKIP() << "this file system keeps no holes";
  ASSERT_EQ(bytes, 2 * sizeof ranges[0]);
  EXPECT_EQ(ranges[0].FileOffset.QuadPart, 0);
  EXPECT_EQ(ranges[0].Length.QuadPart, piece);
  EXPECT_EQ(ranges[1].FileOffset.QuadPart, 3 * piece);
  EXPECT_EQ(ranges[1].Length.QuadPart, piece);
  EXPECT_FALSE(DeviceIoControl(file, FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, ranges,
                               sizeof ranges[0], &bytes, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(bytes, sizeof ranges[0]);
  EXPECT_FALSE(DeviceIoControl(file, 0x90000, &query, sizeof query, ranges, sizeof ranges, &bytes,
                               nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
  CloseHandle(file);
}

}  // namespace
