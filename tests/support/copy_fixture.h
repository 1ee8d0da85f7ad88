// Real files in a scratch folder for the copy engine's tests, and the lines
// the engine wrote while a test ran.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "console/ConState.h"
#include "fileio/modFileIO.h"
#include "fileio/testing.h"
#include "support/faults/file_faults.h"
#include "support/scratch_dir.h"

namespace copytest {

namespace fs = std::filesystem;

const int32_t Block = 4096;

// Deterministic bytes that differ from block to block, so that a block in the
// wrong place shows.
inline std::string Pattern(size_t size, unsigned seed = 1) {
  std::string bytes(size, '\0');
  uint32_t state = 2166136261u ^ seed;
  for (size_t i = 0; i < size; ++i) {
    state = state * 16777619u + static_cast<uint32_t>(i >> 12);
    bytes[i] = static_cast<char>(state >> 24);
  }
  return bytes;
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const fs::path& path) { return testsupport::ReadAll(path); }

inline std::vector<std::wstring>& CapturedLines() {
  static std::vector<std::wstring> lines;
  return lines;
}

inline void Capture(const std::wstring& line) { CapturedLines().push_back(line); }

// One scratch folder per test (support/scratch_dir.h). Also resets the
// engine's block size, lines and break flag.
class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testsupport::MakeScratchDir("blkcopy-test-");
    modFileIO::BufferBytes = Block;
    CapturedLines().clear();
    modFileIO::SetEngineLineListener(Capture);
    Con::BreakFlag.store(false);
  }

  void TearDown() override {
    modFileIO::SetEngineLineListener(nullptr);
    Con::BreakFlag.store(false);
    testsupport::RemoveScratchDir(folder_);
  }

  fs::path Path(const std::string& name) const { return folder_ / name; }
  // The file `name` of the folder, shared for reading and writing.
  HANDLE Open(const std::string& name, DWORD access, DWORD disposition, DWORD flags = 0) {
    return CreateFileA(Path(name).string().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, disposition, flags ? flags : FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  std::string Dest() const { return ReadBytes(Path("dest")); }
  static std::wstring W(const fs::path& path) { return path.wstring(); }

  static bool Said(const std::wstring& part) {
    for (const std::wstring& line : CapturedLines())
      if (line.find(part) != std::wstring::npos) return true;
    return false;
  }

  static std::wstring AllLines() {
    std::wstring all;
    for (const std::wstring& line : CapturedLines()) all += line + L"\n";
    return all;
  }

  // A fresh copy of `bytes` from "source" to "dest"; returns the outcome.
  modFileIO::CopyOutcome FreshCopy(const std::string& bytes) {
    WriteBytes(Path("source"), bytes);
    return modFileIO::StartCopy(W(Path("source")), W(Path("dest")));
  }

  modFileIO::CopyOutcome Resume() {
    return modFileIO::ResumeCopy(W(Path("source")), W(Path("dest")));
  }

  fs::path folder_;
};

// A CopyTest that may set fault rules (support/faults/file_faults.h); they
// are cleared after each test.
class CopyFaultTest : public CopyTest {
 protected:
  void TearDown() override {
    FileFaults::ClearFaults();
    CopyTest::TearDown();
  }
};

}  // namespace copytest
