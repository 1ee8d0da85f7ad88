// An in-memory console bound in place of the terminal, with Con's standard
// handles pointed at it, for the life of a scope or test.
#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "console/ConState.h"
#include "support/memory_console.h"

// Binds the console and points Con::hConIn, hConOut and hConErr at its
// handles (what GetStdHandle then returns on POSIX); puts the previous handles
// back and unbinds at the end. Make any redirection on the console before
// binding.
class BoundConsole {
 public:
  explicit BoundConsole(MemoryConsole& console)
      : console_(console), in_(Con::hConIn), out_(Con::hConOut), err_(Con::hConErr) {
    console_.Bind();
    Con::hConIn = console_.Input();
    Con::hConOut = console_.Output();
    Con::hConErr = console_.Error();
  }
  ~BoundConsole() {
    Con::hConIn = in_;
    Con::hConOut = out_;
    Con::hConErr = err_;
    console_.Unbind();
  }
  BoundConsole(const BoundConsole&) = delete;
  BoundConsole& operator=(const BoundConsole&) = delete;

 private:
  MemoryConsole& console_;
  HANDLE in_;
  HANDLE out_;
  HANDLE err_;
};

// A fixture whose tests run on a bound 80 x 25 in-memory console, `screen`.
class MemoryScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { binding_.emplace(screen); }
  void TearDown() override { binding_.reset(); }

  MemoryConsole screen{80, 25};

 private:
  std::optional<BoundConsole> binding_;
};
