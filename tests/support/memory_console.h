// An in-memory console for tests. Bound, it stands in for the terminal: the
// program's own console code runs unchanged against a screen held in memory,
// processed byte for byte as the terminal is. A test then reads back every
// cell and colour, and may resize the window between calls, as a user can.
//
//   MemoryConsole console(80, 25);
//   console.Bind();
//   Con::hConOut = console.Output();  // or BoundConsole, support/memory_screen.h
//   Con::WriteText(L"Hello", true);
//   EXPECT_EQ(console.RowText(0).substr(0, 5), L"Hello");
//
// On POSIX it is bound below the platform's calls, so every console call of
// the program reaches it. On Windows it is bound in Con's output calls
// (console/ConOutputCalls.h): text, colours, cursor, modes and title reach
// it there; the rest of the console is the system's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

class MemoryConsole {
 public:
  // A window of `columns` x `rows` cells on a buffer as wide as the window and
  // 9001 rows tall; cursor at the top left, attribute 7, input mode 7, output
  // mode 3, empty title.
  explicit MemoryConsole(SHORT columns = 80, SHORT rows = 25);
  // Unbinds when still bound.
  ~MemoryConsole();
  MemoryConsole(const MemoryConsole&) = delete;
  MemoryConsole& operator=(const MemoryConsole&) = delete;

  // From Bind until Unbind the console title is this console's, and on POSIX
  // GetStdHandle returns this console's handles. One console is bound at a
  // time.
  void Bind();
  void Unbind();
  // This console's handles (also before Bind). Standard output and standard
  // error are two handles on the one screen.
  HANDLE Input() const;
  HANDLE Output() const;
  HANDLE Error() const;

  // Makes standard input or output a redirected handle: not a console, so
  // every console call on it fails; what is written to it is kept as bytes,
  // and reading it gives end of file. Call before handing the handles out.
  // Standard error stays the console.
  void RedirectInput();
  void RedirectOutput();
  const std::string& OutputBytes() const;

  // The window becomes `columns` x `rows`; the buffer is `bufferColumns` wide
  // (0: as wide as the window). The cursor and window are kept inside.
  void Resize(SHORT columns, SHORT rows, SHORT bufferColumns = 0);

  // What the user sees. Rows and columns count from the buffer's top left.
  // A row's text is its cells' characters across the buffer's width (blank
  // cells are spaces); a wide character counts once although it fills two
  // cells.
  std::wstring RowText(SHORT row) const;
  // The attribute of each cell of the row, across the buffer's width.
  std::vector<WORD> RowAttributes(SHORT row) const;
  wchar_t CharAt(SHORT column, SHORT row) const;
  WORD AttributeAt(SHORT column, SHORT row) const;
  COORD Cursor() const;
  WORD Attribute() const;
  SMALL_RECT Window() const;
  COORD BufferSize() const;
  // Bells rung so far.
  int Bells() const;

  // The console title (bytes, UTF-8); SetTitle gives it one before the
  // program runs.
  std::string Title() const;
  void SetTitle(const std::string& title);
  DWORD InputMode() const;

  // Keys, as bytes. Typed ahead: waiting before the program reads, so
  // FlushConsoleInputBuffer discards them. Pressed: arrive while the program
  // waits in a read, after any flush. A read with no key left reads nothing.
  void TypeAhead(const std::string& keys);
  void PressKeys(const std::string& keys);

  // The console's insides, for its own files (memory_console_state.h).
  struct State;
  struct Seat;

 private:
  static std::unique_ptr<Seat> NewSeat(State& state);

  std::unique_ptr<State> state_;
};
