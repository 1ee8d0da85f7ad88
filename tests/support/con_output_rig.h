// The Con output tests that any console can run, by observing the console
// through its own calls. Each platform instantiates ConOutputTest with the
// consoles it has: the system console (Windows), the in-memory one (POSIX).
#pragma once

#include <gtest/gtest.h>

struct ConsoleRig {
  const char* name;
  // Points Con's handles at a console whose cursor stands at column 0 of a
  // row with room below; false when there is no console to use.
  bool (*open)();
  // Gives back what open changed.
  void (*close)();
};

class ConOutputTest : public ::testing::TestWithParam<ConsoleRig> {
 protected:
  void SetUp() override {
    if (!GetParam().open()) GTEST_SKIP() << "no console to write on";
    opened_ = true;
  }
  void TearDown() override {
    if (opened_) GetParam().close();
  }

 private:
  bool opened_ = false;
};

inline std::string RigName(const ::testing::TestParamInfo<ConsoleRig>& info) {
  return info.param.name;
}
