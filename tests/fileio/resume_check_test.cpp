// The check a resumed copy makes before it appends: the destination's last
// block must be the source's bytes at the same place.
#include <functional>

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
      EXPECT_NE(CapturedLines()[1].find(L"4,096 bytes from byte 16,384 on"), std::wstring::npos)
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

// What the source could not have produced: a change anywhere the pieces spread
// over the prefix look (the first included), another file or zeros, or a
// source written after the copy stopped, however little it changed.
TEST_F(ResumeCheck, OnlyWhatTheSourceCouldHaveProducedIsContinued) {
  const std::string bytes = Pattern(40 * Block + 77, 5);
  const size_t kept = 16 * Block;
  const auto hourLater = [&] {
    std::filesystem::last_write_time(
        Path("source"), std::filesystem::last_write_time(Path("dest")) + std::chrono::hours(1));
  };
  const auto secondLater = [&] {
    std::filesystem::last_write_time(
        Path("source"), std::filesystem::last_write_time(Path("dest")) + std::chrono::seconds(1));
  };
  struct Case {
    const char* what;
    std::string source, dest;
    std::function<void()> retime;
    const wchar_t* line;  // null: the copy goes on
  };
  const std::wstring notPartial = L"The destination is not a partial copy of the source";
  const std::wstring newer = L"The source was changed after the copy was stopped";
  std::string firstByte = bytes.substr(0, kept);
  firstByte[0] ^= 1;
  std::string quarter = bytes;
  quarter.replace(kept / 4, Block, Pattern(Block, 6));
  const Case cases[] = {
      {"byte 0 differs", bytes, firstByte, nullptr, notPartial.c_str()},
      {"4 KiB at 25% differ", quarter, bytes.substr(0, kept), nullptr, notPartial.c_str()},
      {"another file", bytes, Pattern(kept, 7), nullptr, notPartial.c_str()},
      {"zeros", bytes, std::string(kept, '\0'), nullptr, notPartial.c_str()},
      {"source written later", bytes, bytes.substr(0, kept), hourLater, newer.c_str()},
      {"source grown later", bytes + "more", bytes.substr(0, kept), hourLater, newer.c_str()},
      {"source dated within 2 s", bytes, bytes.substr(0, kept), secondLater, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CapturedLines().clear();
    WriteBytes(Path("source"), c.source);
    WriteBytes(Path("dest"), c.dest);
    if (c.retime) c.retime();
    if (!c.line) {
      EXPECT_EQ(Resume(), CopyCompleted) << AllLines();
      EXPECT_TRUE(Dest() == c.source);
      continue;
    }
    EXPECT_EQ(Resume(), CopyNotStarted) << AllLines();
    EXPECT_TRUE(Dest() == c.dest);
    ASSERT_EQ(CapturedLines().size(), 2u) << AllLines();
    EXPECT_EQ(CapturedLines()[0], c.line);
    EXPECT_NE(CapturedLines()[1].find(L"without /R"), std::wstring::npos);
  }
}

}  // namespace
