// The Windows-style screen buffer that console output handles present on
// POSIX: a buffer as wide as the window and kBufferRows tall, a cursor, a
// current attribute and the output modes. Screen turns the bytes written to a
// console into cell writes and cursor moves exactly as the Windows console
// does them in its output modes; what becomes of each step is left to the
// kind of screen: the terminal turns it into VT sequences, the in-memory
// screen of the tests into cells. Both run the same processing, so a test sees
// what a user sees. Plain C++ over Win32 types, so the in-memory screen of the
// tests is built on Windows too; the program uses it on POSIX only. Private to
// the platform layer and the tests' support code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

class Screen {
 public:
  // Rows of the buffer, as in a default Windows console.
  static constexpr SHORT kBufferRows = 9001;
  // The attribute a console reports before the program sets one: light grey
  // on black, which stands for the terminal's own colours.
  static constexpr WORD kStartAttribute = 7;

  Screen() = default;
  virtual ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  // Processes the bytes (UTF-8; a sequence split across writes is completed
  // by the next write). FALSE with the last error set when the screen could
  // not take them.
  BOOL Write(const char* bytes, size_t size);
  // FALSE with ERROR_INVALID_PARAMETER for a cell outside the buffer. The
  // window follows a cursor moved below it; a row above the window (which a
  // terminal has scrolled away) is reached at the window's top row.
  // Cursor moves and colour changes wait for the next text, so that a field
  // of the progress box costs the terminal one write instead of several;
  // Commit sends whatever waits.
  BOOL SetCursor(COORD position);
  BOOL SetAttribute(WORD attribute);
  BOOL Commit() { return Flush(); }
  // The program is done with the screen (its handle closes): a terminal gets
  // its own colours back where the console's start attribute is in effect.
  virtual void HandBack() {}
  void GetInfo(CONSOLE_SCREEN_BUFFER_INFO& info);
  DWORD Mode() const { return mode_; }
  void SetMode(DWORD mode) { mode_ = mode; }

 protected:
  struct Geometry {
    SHORT bufferColumns;
    SHORT windowColumns;
    SHORT windowRows;
    // The screen was resized or the process resumed since the last look: what
    // stands above the cursor may have been reflowed, cleared or scrolled
    // away, so it counts as out of the window from now on.
    bool reshaped = false;
  };
  // Sizes at this moment (a terminal is asked each time, so a resize is seen).
  virtual Geometry Measure() = 0;
  // A character of `width` cells (1 or 2; 0 joins the previous character) at
  // the cursor, in the current attribute, before the cursor moves on.
  virtual void Put(COORD at, wchar_t character, int width) = 0;
  // The buffer is full and its top row goes; the rows move up by one.
  virtual void ScrollBuffer() {}
  // Steps a terminal has to be told about; the model has already moved.
  virtual void CarriageReturn() {}
  virtual void LineFeed() {}
  virtual void Backspace() {}
  virtual void Bell() {}
  virtual void WrapToNextRow() {}
  virtual void StayInLastColumn(SHORT column) { (void)column; }
  virtual void MoveCursor(COORD from, COORD to) {
    (void)from;
    (void)to;
  }
  virtual void AttributeChanged() {}
  // Hands over what the steps above produced; FALSE with the last error set.
  virtual BOOL Flush() { return TRUE; }

  // Where the model starts (a terminal's real position, once known).
  void Place(COORD cursor, SHORT windowTop);
  COORD Cursor() const { return cursor_; }
  WORD Attribute() const { return attribute_; }

 private:
  Geometry Sync();
  void Process(uint32_t character, const Geometry& size);
  void PutVisible(uint32_t character, const Geometry& size);
  void NextRow(const Geometry& size);

  COORD cursor_{0, 0};
  SHORT windowTop_ = 0;
  WORD attribute_ = kStartAttribute;
  DWORD mode_ = ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
  std::string pending_;  // start of a UTF-8 sequence the next write completes
};

// Cells a character takes on a terminal: 2 for East Asian wide characters
// and emoji, 0 for combining marks and zero-width characters, else 1.
int CellWidth(uint32_t character);
// What a character that must not act on the terminal is shown as: control
// characters as their control pictures (U+2400...), C1 controls and
// non-characters as U+FFFD; anything else stays itself.
uint32_t Displayable(uint32_t character);
