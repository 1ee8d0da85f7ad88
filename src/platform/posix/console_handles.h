// The objects behind the standard handles on POSIX, and the console session
// that hands them out: the process's terminal, or an in-memory console that a
// test has bound. Private to src/platform/posix/.
#pragma once

#include <string>

#include "platform/posix/handle.h"
#include "platform/screen.h"

// A standard handle. CloseHandle only marks it closed: the process's own
// descriptors 0, 1 and 2 stay open, and GetStdHandle keeps answering with the
// same (now closed) handle, as Windows does.
struct StdHandle : PosixHandle {
  explicit StdHandle(int descriptor) : PosixHandle(descriptor) {}
  BOOL Read(void* buffer, DWORD size, DWORD* done) override;
  BOOL Write(const void* buffer, DWORD size, DWORD* done) override;
  BOOL Close() override;
  // False, with ERROR_INVALID_HANDLE set, once the handle is closed.
  bool Open() const;

  bool closed = false;
};

// A console output handle: writes go through the screen's processing.
struct ConsoleOutput : StdHandle {
  ConsoleOutput(int descriptor, Screen& target) : StdHandle(descriptor), screen(target) {}
  BOOL Write(const void* buffer, DWORD size, DWORD* done) override;
  // Sends what cursor moves and colour changes left pending.
  BOOL Close() override;

  Screen& screen;
};

// A console input handle; the modes are the Win32 input modes (processed 1,
// line 2, echo 4).
struct ConsoleInput : StdHandle {
  using StdHandle::StdHandle;
  BOOL Read(void* buffer, DWORD size, DWORD* done) override;
  virtual BOOL GetMode(DWORD& mode) = 0;
  virtual BOOL SetMode(DWORD mode) = 0;
  virtual BOOL Flush() = 0;
  // Waits for input and reads up to `size` characters (bytes).
  virtual BOOL ReadChars(char* buffer, DWORD size, DWORD& done) = 0;
};

// Where GetStdHandle's handles and the console title come from.
struct ConsoleSession {
  virtual ~ConsoleSession();
  // STD_INPUT_HANDLE, STD_OUTPUT_HANDLE or STD_ERROR_HANDLE.
  virtual PosixHandle* Std(DWORD which) = 0;
  // Win32 GetConsoleTitleA/SetConsoleTitleA results and errors.
  virtual DWORD GetTitle(char* buffer, DWORD size) = 0;
  virtual BOOL SetTitle(const char* title) = 0;
};

// The session in effect: a bound in-memory console, else the terminal.
ConsoleSession& CurrentSession();
// Binds a session in place of the terminal's; null gives the terminal back.
void BindSession(ConsoleSession* session);

// GetConsoleTitleA's copy: the title truncated to the buffer, NUL-terminated;
// the number of bytes copied.
DWORD CopyTitle(const std::string& title, char* buffer, DWORD size);

// The input handle of a terminal on `fd`.
ConsoleInput* NewTerminalInput(int fd);
