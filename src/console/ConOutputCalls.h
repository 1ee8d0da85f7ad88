// The platform calls behind Con's text output, colours, cursor and title,
// kept in one record so that a test can put an in-memory console in the
// platform's place on any system. Private to Con and its tests.
#pragma once

#include "platform/platform.h"

namespace Con {

// A record made fresh holds the platform's own calls. Where they are
// link-time constants (POSIX) the record in use is filled before any
// constructor runs, so Con can write even from another file's static
// initializer.
struct OutputCalls {
  BOOL(WINAPI* Write)(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written,
                      LPOVERLAPPED overlapped) = &WriteFile;
  BOOL(WINAPI* ScreenInfo)(HANDLE output, PCONSOLE_SCREEN_BUFFER_INFO info) =
      &GetConsoleScreenBufferInfo;
  BOOL(WINAPI* SetAttribute)(HANDLE output, WORD attribute) = &SetTextColours;
  BOOL(WINAPI* SetCursor)(HANDLE output, COORD position) = &SetConsoleCursorPosition;
  BOOL(WINAPI* GetMode)(HANDLE handle, LPDWORD mode) = &GetConsoleMode;
  UINT(WINAPI* OutputCodePage)(void) = &GetConsoleOutputCP;
  UINT(WINAPI* InputCodePage)(void) = &GetConsoleCP;
  DWORD(WINAPI* GetTitle)(LPSTR buffer, DWORD size) = &GetConsoleTitleA;
  BOOL(WINAPI* SetTitle)(LPCSTR title) = &SetConsoleTitleA;
};

// The calls in use: the platform's own unless a test replaced them.
extern OutputCalls OutputPlatform;

// Forgets which standard handle is a console and with which code page, so
// that the next write asks again: for Initialize, and for a test that points
// the handles at another console.
void ForgetTargetModes();

}  // namespace Con
