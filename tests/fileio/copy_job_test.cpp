// Fresh and resumed copies with real files, on every platform.
#include "support/copy_fixture.h"

#include "fileio/device_path.h"

using namespace copytest;
using namespace modFileIO;

namespace {

class CopyJob : public CopyTest {};

TEST_F(CopyJob, FreshCopiesAreByteIdenticalAtEveryBlockBoundary) {
  const size_t sizes[] = {0, 1, Block - 1, Block, Block + 1, 99 * Block + 77, 100 * Block,
                          100 * Block + 1};
  for (size_t size : sizes) {
    SCOPED_TRACE(size);
    CapturedLines().clear();
    // An older, longer destination is truncated first.
    WriteBytes(Path("dest"), Pattern(101 * Block, 9));
    const std::string bytes = Pattern(size, static_cast<unsigned>(size));
    ASSERT_EQ(FreshCopy(bytes), CopyCompleted) << AllLines();
    EXPECT_TRUE(ReadBytes(Path("dest")) == bytes);
    ASSERT_EQ(CapturedLines().size(), 2u) << AllLines();
    EXPECT_EQ(CapturedLines()[0], L"File copy completed!");
    EXPECT_EQ(CapturedLines()[1], W(Path("dest")) + L" written");
  }
}

TEST_F(CopyJob, ResumedCopiesFinishFromWhereverTheDestinationEnds) {
  const std::string bytes = Pattern(10 * Block + 123, 3);
  WriteBytes(Path("source"), bytes);
  // -1: no destination at all; the last: a finished copy, which stays as it is.
  for (long long kept : {-1LL, 0LL, 1LL * Block, 5LL * Block, 10LL * Block, 10LL * Block + 123}) {
    SCOPED_TRACE(kept);
    CapturedLines().clear();
    std::filesystem::remove(Path("dest"));
    if (kept >= 0) WriteBytes(Path("dest"), bytes.substr(0, static_cast<size_t>(kept)));
    ASSERT_EQ(Resume(), CopyCompleted) << AllLines();
    EXPECT_TRUE(ReadBytes(Path("dest")) == bytes);
    EXPECT_TRUE(Said(L"File copy completed!"));
  }
}

TEST_F(CopyJob, ALongerDestinationIsNoPartialCopyAndStaysUntouched) {
  WriteBytes(Path("source"), Pattern(2 * Block, 5));
  const std::string longer = Pattern(3 * Block, 6);
  WriteBytes(Path("dest"), longer);
  EXPECT_EQ(Resume(), CopyNotStarted);
  EXPECT_TRUE(ReadBytes(Path("dest")) == longer);
  EXPECT_TRUE(Said(L"is longer than the source")) << AllLines();
  EXPECT_FALSE(Said(L"File copy completed!"));
}

TEST_F(CopyJob, FilesThatCannotBeOpenedStopBeforeAnythingChanges) {
  const std::string kept = Pattern(Block, 7);
  WriteBytes(Path("dest"), kept);
  EXPECT_EQ(StartCopy(W(Path("missing")), W(Path("dest"))), CopyNotStarted);
  EXPECT_EQ(ResumeCopy(W(Path("missing")), W(Path("dest"))), CopyNotStarted);
  EXPECT_TRUE(ReadBytes(Path("dest")) == kept);
  EXPECT_TRUE(Said(L"Could not open source file"));
  EXPECT_TRUE(Said(L"The source file does not exist.")) << AllLines();

  CapturedLines().clear();
  WriteBytes(Path("source"), kept);
  EXPECT_EQ(StartCopy(W(Path("source")), W(Path("no folder") / "dest")), CopyNotStarted);
  ASSERT_EQ(CapturedLines().size(), 2u) << AllLines();
  EXPECT_EQ(CapturedLines()[0], L"Could not open destination file");
  EXPECT_EQ(CapturedLines()[1].find(L"A folder in the destination path does not exist."), 0u);
  // The source handle was closed: the file can go.
  EXPECT_TRUE(std::filesystem::remove(Path("source")));
}

// Opens what exists, as the platform does; refuses to create anything, as
// Windows refuses a destination for the reason in Refusal.
DWORD Refusal = 0;
HANDLE WINAPI RefusingCreate(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile) {
  if (disposition == OPEN_EXISTING)
    return CreateFileA(name, access, share, security, disposition, flags, templateFile);
  SetLastError(Refusal);
  return INVALID_HANDLE_VALUE;
}
DWORD WINAPI HiddenAttributes(LPCSTR) { return FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE; }

// What the system says when it refuses a destination, in its own words, with
// the calls answering as Windows does (Wine lets a hidden file be replaced,
// and PRN is no device on Linux).
TEST_F(CopyJob, ARefusedDestinationIsExplainedInTheSystemsTerms) {
  WriteBytes(Path("source"), Pattern(Block, 3));
  const FileCalls real = FilePlatform;
  FilePlatform.CreateFileA = &RefusingCreate;
  FilePlatform.GetFileAttributesA = &HiddenAttributes;
  struct Case {
    DWORD error;
    const char* dest;
    const wchar_t* why;
  };
  const Case refusals[] = {
      {ERROR_ACCESS_DENIED, "hidden.bin", L"The destination is a hidden or system file"},
      {ERROR_FILE_NOT_FOUND, "LPT1", L"The destination names a device (such as PRN or LPT1)"},
      {ERROR_FILE_NOT_FOUND, "prn.txt", L"The destination names a device (such as PRN or LPT1)"},
      {ERROR_TOO_MANY_OPEN_FILES, "dest", L"The system has no file handle left for the destination"},
      {ERROR_INVALID_NAME, "dest", L"(system error 123: the name holds a character that file"},
  };
  for (const Case& r : refusals) {
    SCOPED_TRACE(r.dest);
    CapturedLines().clear();
    Refusal = r.error;
    EXPECT_EQ(StartCopy(W(Path("source")), W(Path(r.dest))), CopyNotStarted);
    EXPECT_EQ(CapturedLines().size(), 2u) << AllLines();
    EXPECT_NE(AllLines().find(r.why), std::wstring::npos) << AllLines();
  }
  FilePlatform = real;
}

TEST_F(CopyJob, ACopyOntoItselfUnderAnotherSpellingLeavesTheFileAlone) {
  std::filesystem::create_directories(Path("sub"));
  const std::string bytes = Pattern(2 * Block + 5, 8);
  WriteBytes(Path("source"), bytes);
  const std::wstring same = W(Path("sub") / ".." / "source");
  EXPECT_EQ(StartCopy(W(Path("source")), same), CopyNotStarted);
  EXPECT_EQ(ResumeCopy(W(Path("source")), same), CopyNotStarted);
  EXPECT_TRUE(ReadBytes(Path("source")) == bytes);
  EXPECT_TRUE(Said(L"the same file")) << AllLines();
}

TEST_F(CopyJob, APathWithoutAnExactAnsiFormIsNotOpened) {
  WriteBytes(Path("source"), Pattern(10));
  // A lone surrogate has no form in any code page.
  EXPECT_EQ(StartCopy(W(Path("source")), W(Path("dest")) + L"\xD800"), CopyNotStarted);
  EXPECT_TRUE(Said(L"Could not open destination file"));
  EXPECT_TRUE(Said(L"can't represent")) << AllLines();
}

TEST_F(CopyJob, ABreakStopsAfterTheBlockInProgressAndResumeFinishes) {
  const std::string bytes = Pattern(10 * Block + 9, 10);
  Con::BreakFlag.store(true);
  EXPECT_EQ(FreshCopy(bytes), CopyStopped);
  EXPECT_TRUE(ReadBytes(Path("dest")) == bytes.substr(0, Block));
  EXPECT_TRUE(Said(L"[BREAK] User halt."));
  EXPECT_FALSE(Said(L"File copy completed!"));

  Con::BreakFlag.store(false);
  EXPECT_EQ(Resume(), CopyCompleted) << AllLines();
  EXPECT_TRUE(ReadBytes(Path("dest")) == bytes);
}

TEST_F(CopyJob, ABlockSizeBelowOneByteIsRefusedBeforeAnyFileIsOpened) {
  const std::string kept = Pattern(Block, 11);
  WriteBytes(Path("dest"), kept);
  for (int32_t size : {0, -65536}) {
    BufferBytes = size;
    EXPECT_EQ(FreshCopy(kept), CopyFailed);
    EXPECT_EQ(Resume(), CopyFailed);
    EXPECT_EQ(CopyBlocks(nullptr, nullptr, L"", L"", 0), CopyFailed);
  }
  EXPECT_TRUE(ReadBytes(Path("dest")) == kept);
  EXPECT_TRUE(Said(L"at least 1 byte")) << AllLines();
}

// Device and volume paths in every spelling are refused before anything is
// opened; a long path to a file on a drive or a share is a file's path.
TEST_F(CopyJob, DeviceAndVolumePathsAreRefusedInEverySpelling) {
  struct Case {
    const wchar_t* path;
    bool device;
  };
  const Case cases[] = {
      {L"\\\\.\\C:", true},          {L"\\\\?\\C:", true},
      {L"//./C:", true},                 {L"//?/C:", true},
      {L"\\\\?/C:", true},             {L"/\\.\\C:", true},
      {L"\\\\?\\PhysicalDrive0", true}, {L"\\\\.\\PhysicalDrive0", true},
      {L"\\\\?\\C:\\", true},        {L"\\\\?\\Volume{0}\\", true},
      {L"\\\\?\\UNC\\server", true},   {L"\\\\?\\C:\\dir\\file", false},
      {L"//?/C:/dir/file", false},       {L"\\\\.\\D:\\file", false},
      {L"\\\\?\\UNC\\server\\share\\file", false}, {L"\\\\server\\share\\file", false},
      {L"C:\\dir\\file", false},
  };
  const std::string kept = Pattern(Block, 12);
  WriteBytes(Path("dest"), kept);
  WriteBytes(Path("source"), kept);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::filesystem::path(c.path).string());
    EXPECT_EQ(IsDevicePath(c.path), c.device);
    if (!c.device) continue;
    CapturedLines().clear();
    EXPECT_EQ(StartCopy(c.path, W(Path("dest"))), CopyNotStarted);
    EXPECT_EQ(StartCopy(W(Path("source")), c.path), CopyNotStarted);
    EXPECT_EQ(ResumeCopy(W(Path("source")), c.path), CopyNotStarted);
    EXPECT_TRUE(Said(L"The source is a device or volume path")) << AllLines();
    EXPECT_TRUE(Said(L"The destination is a device or volume path")) << AllLines();
  }
  EXPECT_TRUE(ReadBytes(Path("dest")) == kept);
}

}  // namespace
