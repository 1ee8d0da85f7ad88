// A scratch folder per test, on a real disk where there is one (/var/tmp, so
// that unbuffered handles really bypass the cache; BLKCOPY_TEST_DIR
// overrides), open to every user so that runs as nobody can work in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace testsupport {

// Makes a new, empty folder named `prefix` and a random suffix.
inline std::filesystem::path MakeScratchDir(const std::string& prefix) {
  namespace fs = std::filesystem;
  const char* chosen = std::getenv("BLKCOPY_TEST_DIR");
  std::error_code error;
  const fs::path root = chosen                                  ? fs::path(chosen)
                        : fs::is_directory("/var/tmp", error) ? fs::path("/var/tmp")
                                                                : fs::temp_directory_path();
  std::random_device random;
  fs::path folder;
  do folder = root / (prefix + std::to_string(random()) + std::to_string(random()));
  while (!fs::create_directories(folder, error) && !error);
  fs::permissions(folder, fs::perms::all, error);
  return folder;
}

// Every byte of the file at `path`; none when it can't be read.
inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void RemoveScratchDir(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::remove_all(folder, error);
}

}  // namespace testsupport
