// The check a resumed copy makes before it appends: the destination's last
// block must be the source's bytes at the same place.
#include "support/copy_fixture.h"

using namespace copytest;
using namespace modFileIO;

namespace {

class ResumeCheck : public CopyTest {
 protected:
  // A resume that must be refused: nothing is written and the lines say why.
  void ExpectRefused(const std::string& destBefore) {
    EXPECT_EQ(Resume(), CopyNotStarted);
    EXPECT_TRUE(ReadBytes(Path("dest")) == destBefore);
    ASSERT_EQ(CapturedLines().size(), 2u) << AllLines();
    EXPECT_EQ(CapturedLines()[0], L"The destination is not a partial copy of the source");
    EXPECT_NE(CapturedLines()[1].find(L"without /R"), std::wstring::npos);
  }
};

TEST_F(ResumeCheck, ADifferenceAnywhereInTheLastBlockRefusesTheResume) {
  const std::string bytes = Pattern(10 * Block + 123, 1);
  const size_t kept = 5 * Block;
  // The block before the resume point is [4 Block, 5 Block): its first and
  // last byte, in the destination or in a source changed since.
  for (size_t at : {4 * Block, 5 * Block - 1}) {
    for (bool inSource : {false, true}) {
      SCOPED_TRACE(std::to_string(at) + (inSource ? " source" : " dest"));
      CapturedLines().clear();
      std::string source = bytes;
      std::string dest = bytes.substr(0, kept);
      (inSource ? source : dest)[at] ^= 0x40;
      WriteBytes(Path("source"), source);
      WriteBytes(Path("dest"), dest);
      ExpectRefused(dest);
      EXPECT_NE(CapturedLines()[1].find(L"4096 bytes from byte 16384 on"), std::wstring::npos)
          << AllLines();
    }
  }
  // Another file altogether, of the same length.
  CapturedLines().clear();
  WriteBytes(Path("source"), bytes);
  WriteBytes(Path("dest"), Pattern(kept, 2));
  ExpectRefused(Pattern(kept, 2));
}

TEST_F(ResumeCheck, ADestinationShorterThanABlockIsComparedWhole) {
  const std::string bytes = Pattern(10 * Block + 5, 3);
  WriteBytes(Path("source"), bytes);
  BufferBytes = 64 * 1024;
  std::string dest = bytes.substr(0, 2 * Block);
  dest[0] ^= 1;
  WriteBytes(Path("dest"), dest);
  ExpectRefused(dest);

  CapturedLines().clear();
  WriteBytes(Path("dest"), bytes.substr(0, 2 * Block));
  EXPECT_EQ(Resume(), CopyCompleted) << AllLines();
  EXPECT_TRUE(ReadBytes(Path("dest")) == bytes);
}

// A copy may be resumed with another block size than it began with; the
// check leaves the source exactly where the copy goes on.
TEST_F(ResumeCheck, AMatchingDestinationResumesWithAnyBlockSize) {
  const std::string bytes = Pattern(40 * Block + 77, 4);
  WriteBytes(Path("source"), bytes);
  for (int32_t size : {Block, 2 * Block, 8 * Block, 64 * Block}) {
    for (size_t kept : {size_t{1} * Block, size_t{3} * Block, size_t{17} * Block}) {
      SCOPED_TRACE(std::to_string(size) + " " + std::to_string(kept));
      BufferBytes = size;
      WriteBytes(Path("dest"), bytes.substr(0, kept));
      ASSERT_EQ(Resume(), CopyCompleted) << AllLines();
      EXPECT_TRUE(ReadBytes(Path("dest")) == bytes);
    }
  }
}

}  // namespace
