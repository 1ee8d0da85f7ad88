// What only a native disk shows the copy engine: the sector rule of
// unbuffered handles (O_DIRECT), hard and symbolic links, sparse files past
// 4 GiB.
#include "support/copy_fixture.h"

using namespace copytest;
using namespace modFileIO;

namespace {

class NativeDisk : public CopyTest {};

TEST_F(NativeDisk, ABlockSizeOfNoWholeSectorsEndsAsFailed) {
  BufferBytes = 1000;
  EXPECT_EQ(FreshCopy(Pattern(5000, 9)), CopyFailed);
  EXPECT_EQ(Dest(), "");
  EXPECT_EQ(CapturedLines().at(0), L"ReadFile returned 0??");
  EXPECT_TRUE(Said(L"block size, 1,000 bytes, is not a whole number of the disk's sectors"))
      << AllLines();
}

TEST_F(NativeDisk, AResumeOffsetOfNoWholeSectorsIsExplained) {
  const std::string bytes = Pattern(3 * Block, 10);
  WriteBytes(Path("source"), bytes);
  WriteBytes(Path("dest"), bytes.substr(0, 1000));
  EXPECT_EQ(Resume(), CopyNotStarted);
  EXPECT_EQ(Dest(), bytes.substr(0, 1000));
  EXPECT_EQ(CapturedLines().at(0), L"Could not seek to offset in source file");
  EXPECT_TRUE(Said(L"1,000 bytes, is not a whole number of the disk's sectors")) << AllLines();
}

TEST_F(NativeDisk, LinksToTheSourceAreTheSameFile) {
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

TEST_F(NativeDisk, AResumePastFourGigabytesStartsAtTheRightByte) {
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

}  // namespace
