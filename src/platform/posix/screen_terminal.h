// A screen shown on a terminal: the model's steps become the bytes and VT
// sequences that make the terminal show, and put its cursor, exactly where the
// model says. Private to src/platform/posix/.
#pragma once

#include <locale.h>

#include <string>

#include "platform/screen.h"

class TerminalScreen : public Screen {
 public:
  // `fd` is the terminal's descriptor; the cursor starts where the terminal
  // reports it (asked once), else at the top left of a fresh window.
  explicit TerminalScreen(int fd);
  ~TerminalScreen() override;
  // Sends bytes that don't move the cursor (a title sequence).
  BOOL Send(const std::string& bytes);

 protected:
  Geometry Measure() override;
  void Put(COORD at, wchar_t character, int width) override;
  void CarriageReturn() override;
  void LineFeed() override;
  void Backspace() override;
  void Bell() override;
  void WrapToNextRow() override;
  void StayInLastColumn(SHORT column) override;
  void MoveCursor(COORD from, COORD to) override;
  void AttributeChanged() override;
  BOOL Flush() override;
  void HandBack() override;

 private:
  void LocateCursor();

  int fd_;
  std::string out_;
  std::string newline_ = "\r\n";  // what takes the terminal to the next row's start
  std::string pen_;            // the SGR in effect; empty: the terminal's own colours
  locale_t charset_{};         // the locale's, when it is not UTF-8
  unsigned reshapes_ = 0;      // resizes and resumes seen so far
  SHORT columns_ = 0;          // the size at the last look
  SHORT rows_ = 0;
};

// The SGR sequence for a console attribute, its colours always named: light
// grey on black is asked for as such (a light theme's default is not black).
std::string SgrFor(WORD attribute);
// The same without colours (NO_COLOR, a monochrome terminal): empty when only
// colours would be named.
std::string UncolouredSgrFor(WORD attribute);
// Puts the terminal input's modes back after the job was continued.
void ReapplyInputModes();
// False when the process is in the background of the terminal on `fd`, where
// changing its settings or reading from it would stop the process. A terminal
// that is not the process's controlling one has no background.
bool InForeground(int fd);
