// What an in-memory console holds, shared by its files: the cells, the
// redirected streams' bytes, the modes, keys and title. How the program
// reaches it differs by system (memory_console_posix.cpp binds it below the
// platform's calls, memory_console_win32.cpp in Con's call table), so that part
// is a Seat each system makes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/screen.h"
#include "support/memory_console.h"

struct MemoryCell {
  wchar_t character;  // 0: the right half of a wide character
  WORD attribute;
};

// The screen processing of the terminal, into cells kept in memory.
class MemoryScreen : public Screen {
 public:
  Geometry size{80, 80, 25};
  int bells = 0;

  MemoryCell At(SHORT column, SHORT row) const;

 protected:
  Geometry Measure() override { return size; }
  void Put(COORD at, wchar_t character, int width) override;
  void ScrollBuffer() override;
  void Bell() override { ++bells; }

 private:
  struct Row {
    std::vector<MemoryCell> cells;  // grows as cells are written
    WORD fill = kStartAttribute;
  };
  MemoryCell& CellAt(SHORT column, SHORT row);

  std::vector<Row> rows_ = std::vector<Row>(kBufferRows);
};

// The console's standard handles, and its binding in the terminal's place.
struct MemoryConsole::Seat {
  virtual ~Seat() = default;
  // STD_INPUT_HANDLE, STD_OUTPUT_HANDLE or STD_ERROR_HANDLE.
  virtual HANDLE Handle(DWORD which) = 0;
  virtual void Bind(bool bound) = 0;
};

struct MemoryConsole::State {
  MemoryScreen screen;
  DWORD inputMode = ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT;
  std::string typedAhead;
  std::string pressed;
  std::string outputBytes;
  bool inputRedirected = false;
  bool outputRedirected = false;
  bool bound = false;
  std::string title;
  std::unique_ptr<Seat> seat;

  CONSOLE_SCREEN_BUFFER_INFO Info() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    screen.GetInfo(info);
    return info;
  }
};
