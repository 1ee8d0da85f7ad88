// A source that another program appends to while it is copied: the copy ends
// with the bytes it read, in their places.
#include <algorithm>
#include <atomic>

#include "support/copy_fixture.h"

using namespace copytest;
using namespace modFileIO;

namespace {

class GrowingSource : public CopyTest {};

struct Appender {
  std::filesystem::path Path;
  const std::string* More;
  std::atomic<bool> Copying;
};

DWORD WINAPI Append(LPVOID parameter) {
  Appender& job = *static_cast<Appender*>(parameter);
  std::ofstream out(job.Path, std::ios::binary | std::ios::app);
  for (size_t at = 0; at < job.More->size() && job.Copying.load(); at += 1000) {
    const size_t piece = std::min<size_t>(1000, job.More->size() - at);
    out.write(job.More->data() + at, static_cast<std::streamsize>(piece));
    out.flush();
  }
  return 0;
}

TEST_F(GrowingSource, TheCopyIsAPrefixOfWhatTheSourceBecame) {
  // Uneven pieces keep the source's end off block boundaries, so that the
  // copy meets short blocks while more is still coming.
  const std::string start = Pattern(16 * Block, 1);
  const std::string more = Pattern(256 * Block, 2);
  for (int run = 0; run < 5; ++run) {
    SCOPED_TRACE(run);
    CapturedLines().clear();
    WriteBytes(Path("source"), start);
    Appender appender{Path("source"), &more, {true}};
    // A platform thread: the Windows build's C++ library has no std::thread.
    HANDLE thread = CreateThread(nullptr, 0, &Append, &appender, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const CopyOutcome outcome = StartCopy(W(Path("source")), W(Path("dest")));
    appender.Copying.store(false);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    // Completed when the copy read to the end the source then had and nothing
    // was appended after that; appended to after its last read, it fails.
    const std::string dest = ReadBytes(Path("dest"));
    const std::string source = ReadBytes(Path("source"));
    if (outcome == CopyFailed)
      EXPECT_TRUE(Said(L"Another program changed the source during the copy")) << AllLines();
    else
      EXPECT_EQ(outcome, CopyCompleted) << AllLines();
    ASSERT_GE(dest.size(), start.size());
    ASSERT_LE(dest.size(), source.size());
    EXPECT_TRUE(source.compare(0, dest.size(), dest) == 0)
        << "the copy is no prefix of the source, " << dest.size() << " bytes";
  }
}

}  // namespace
