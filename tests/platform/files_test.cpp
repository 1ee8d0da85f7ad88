// The Win32 file calls the copy engine relies on, checked against Windows'
// own behaviour: the same test runs on our POSIX layer and under Wine.
#include "support/copy_fixture.h"
#include "platform/platform.h"

using namespace copytest;

namespace {

using Files = CopyTest;

TEST_F(Files, OpenFailuresCarryWindowsErrorCodes) {
  EXPECT_EQ(Open("missing", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Open("no folder/file", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  std::filesystem::create_directories(Path("folder"));
  EXPECT_EQ(Open("folder", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  WriteBytes(Path("there"), "x");
  EXPECT_EQ(Open("there", GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
}

TEST_F(Files, DispositionsCreateKeepOrTruncate) {
  WriteBytes(Path("kept"), "12345");
  HANDLE file = Open("kept", GENERIC_WRITE, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(file);
  EXPECT_EQ(ReadBytes(Path("kept")), "12345");

  file = Open("kept", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(ReadBytes(Path("kept")), "");

  file = Open("new", GENERIC_WRITE, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
  CloseHandle(file);
  EXPECT_TRUE(std::filesystem::exists(Path("new")));
}

TEST_F(Files, ReadingAtTheEndSucceedsWithNoBytes) {
  WriteBytes(Path("file"), "abc");
  HANDLE file = Open("file", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[16];
  DWORD got = 99;
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 3u);
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 0u);
  DWORD put = 99;
  EXPECT_FALSE(WriteFile(file, "x", 1, &put, nullptr));  // opened for reading only
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(put, 0u);
  CloseHandle(file);
}

TEST_F(Files, PositionsAndSizesCrossTheFourGigabyteLine) {
  HANDLE file = Open("big", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_BEGIN), 0u);  // low half 0 is a success
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(high, 1);
  DWORD put = 0;
  ASSERT_TRUE(WriteFile(file, "z", 1, &put, nullptr));  // sparse up to here
  DWORD sizeHigh = 0;
  EXPECT_EQ(GetFileSize(file, &sizeHigh), 1u);
  EXPECT_EQ(sizeHigh, 1u);
  EXPECT_EQ(modFileIO::GetFileSize64(file), 4294967297LL);

  // A position whose low half looks like the failure value.
  high = 0;
  EXPECT_EQ(SetFilePointer(file, -1, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(high, 0);

  high = -1;  // -1 as a 64-bit distance from the start
  EXPECT_EQ(SetFilePointer(file, -1, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), 131u);  // ERROR_NEGATIVE_SEEK
  high = 0;
  EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_END), 1u);
  EXPECT_EQ(high, 1);
  CloseHandle(file);
}

TEST_F(Files, IdentityNamesTheFileNotThePath) {
  WriteBytes(Path("one"), "1");
  WriteBytes(Path("two"), "2");
  HANDLE one = Open("one", GENERIC_READ, OPEN_EXISTING);
  HANDLE again = Open("one", 0, OPEN_EXISTING);  // may only ask about the file
  HANDLE two = Open("two", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(one, INVALID_HANDLE_VALUE);
  ASSERT_NE(again, INVALID_HANDLE_VALUE);
  ASSERT_NE(two, INVALID_HANDLE_VALUE);
  BY_HANDLE_FILE_INFORMATION a, b, c;
  ASSERT_TRUE(GetFileInformationByHandle(one, &a));
  ASSERT_TRUE(GetFileInformationByHandle(again, &b));
  ASSERT_TRUE(GetFileInformationByHandle(two, &c));
  EXPECT_EQ(a.dwVolumeSerialNumber, b.dwVolumeSerialNumber);
  EXPECT_EQ(a.nFileIndexLow, b.nFileIndexLow);
  EXPECT_EQ(a.nFileIndexHigh, b.nFileIndexHigh);
  EXPECT_TRUE(a.nFileIndexLow != c.nFileIndexLow || a.nFileIndexHigh != c.nFileIndexHigh);
  char buffer[4];
  DWORD got = 0;
  EXPECT_FALSE(ReadFile(again, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  for (HANDLE file : {one, again, two}) EXPECT_TRUE(CloseHandle(file));
}

TEST_F(Files, FlushNeedsAWritableHandle) {
  HANDLE writer = Open("file", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  ASSERT_TRUE(WriteFile(writer, "data", 4, &put, nullptr));
  EXPECT_TRUE(FlushFileBuffers(writer));
  HANDLE reader = Open("file", GENERIC_READ, OPEN_EXISTING);
  EXPECT_FALSE(FlushFileBuffers(reader));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(reader);
  CloseHandle(writer);
}

TEST_F(Files, BlockMemoryIsPageAligned) {
  void* block = VirtualAlloc(nullptr, 3 * Block + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 4096, 0u);
  static_cast<char*>(block)[3 * Block] = 1;
  EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
}

}  // namespace
