// Con: the console layer. A general console library of procedures over the
// Win32 console; it owns the standard handles and the console modes from
// Initialize to the teardown at process end. Text is wide inside the program
// and converted at the platform boundary. No operation here reports a
// failure: a call the platform refuses leaves the console as it was.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace Con {

// ---- Set-up and teardown -------------------------------------------------

// First console call of the program. Takes the standard handles, installs the
// Ctrl+C handler, sets input mode 7 and output mode 3, remembers what it
// changed and arms the teardown that puts it back at process end. Returns the
// host kind (0 no parent path, 1 command interpreter, 2 another program,
// 4 hosted); any call after the first returns 0 and changes nothing.
int32_t Initialize();
// Puts back attribute and modes, closes the standard handles and ends a built
// program with the recorded exit code. Run once, by the teardown hook only.
void Terminate();
// Records the exit code that Terminate hands to the system (0 at start).
void SetExitCode(int code);
// Saves the console's current font; RestoreFont gives it back, and changes
// nothing when the saved record is not a usable font or is still current.
void SaveFont();
void RestoreFont();

// ---- Text output, colours, cursor ----------------------------------------

// Writes text to standard output (stream 1: standard error), aligned on the
// current row (1 left, 2 centre, 3 right; other values: not moved; stream 1
// never aligns), followed by CR LF when newLine is set and align is not 3.
// Returns the byte count the platform reports as written.
int32_t WriteText(const std::wstring& text, bool newLine = false, int32_t stream = 0,
                  int32_t align = 0);
// Colour numbers 0..15 of the console's palette (1 blue, 2 green, 4 red,
// 8 intensity), here by name; values outside are ignored.
enum Colour : int32_t {
  Black, DarkBlue, DarkGreen, DarkCyan, DarkRed, DarkMagenta, DarkYellow, LightGrey,
  DarkGrey, LightBlue, LightGreen, LightCyan, LightRed, LightMagenta, Yellow, White
};
void SetForeColor(int32_t colour);
void SetBackColor(int32_t colour);
int32_t GetForeColor();
int32_t GetBackColor();
// Cursor moves are limited to the screen buffer.
void SetCursorCol(int16_t col);
void SetCursorRow(int16_t row);
int16_t GetCursorCol();
int16_t GetCursorRow();
// Width of the screen buffer; width of the visible window (1 when standard
// output is not a console).
int16_t GetBufferWidth();
int16_t GetWindowWidth();
// Rows of the visible window (1 when standard output is not a console), and
// the buffer row at its top.
int16_t GetWindowHeight();
int16_t GetWindowTop();
void SetTitle(const std::wstring& title);
std::wstring GetTitle();
// Column in the low 16 bits, row in the high 16 bits.
int32_t CoordToLong(COORD position);
// With hold set, one query of the screen buffer serves the operations that
// follow, until a line end, a wrap or anything else the layer can't follow
// asks again; moves and colours that change nothing are then not sent. For a
// caller that redraws a few rows at once; hold false ends it.
void HoldScreen(bool hold);

// ---- Input ----------------------------------------------------------------

// Discards pending keys, waits for one key (Ctrl+C arrives as 3 and does not
// set the break flag) and returns its character; 0 at once when standard input
// is not a console.
uint8_t ReadKey();
// Shows the prompt (default "Press any key to continue . . . ") on the console
// itself, never in a redirected output, waits for a key, then ends the line
// when newLine is set.
void Pause(const std::wstring& prompt = std::wstring(), bool newLine = false);

// ---- Break flag -------------------------------------------------------------

// Console control handler: sets the break flag and claims the event.
BOOL WINAPI CtrlHandler(DWORD ctrlType);
// True once any console control event has arrived; never cleared.
bool BreakPressed();

// ---- Host and parent process ------------------------------------------------

// True for the built program, false for the variant hosted in the
// development environment; fixed by the build.
bool IsCompiled();
// Full image path of the process that started this one, found by the
// family's own method (the NT family from version 5 on and the older family
// walk the process list; NT before 5 asks the native query for the parent's
// id); hosted, the environment's own executable. Empty when the parent can't
// be found or opened. Also records the parent's id.
std::wstring GetParentImagePath();
// Full image path of a process (0: this program's own file); empty when it
// can't be opened or named. A process of another word width is named through
// its device path, turned into a drive path.
std::wstring GetProcessImagePath(DWORD processId);
// A device path ("\Device\HarddiskVolume1\dir\a.exe") as a drive path
// ("C:\dir\a.exe"); empty when no drive's device is a whole leading part of
// it.
std::wstring DevicePathToDosPath(const std::wstring& devicePath);
// True when the module exports the function; a module that isn't loaded yet is
// loaded for the question and released again.
bool IsFunctionExported(const std::wstring& moduleName, const std::wstring& functionName);
// A fixed-size platform buffer as text: cut at its first NUL, or, with none,
// with the spaces around it trimmed.
std::wstring TrimNull(const std::wstring& text);
// 0 no parent path, 1 started from the command interpreter ("Comspec", or the
// older family's console module), 2 by another program, 4 hosted.
int32_t GetHostKind();

// ---- Console window ---------------------------------------------------------

// The console's window, found once and then remembered: GetConsoleWindow
// where the platform has it, otherwise by a unique title set for a moment
// (the user's title is put back). Null when it can't be found.
HWND GetConsoleHwnd();
// The top-level window carrying this exact title, console classes first;
// waits a moment first, so that a title just set has reached its window.
HWND FindConsoleWindow(const std::wstring& title);
// Hosted run: allocates a console for this process, removes Close from its
// window's menu and brings it to the front. Null when the window found is not
// this process's own.
HWND CreateOwnConsole();
// The calling thread's first top-level window with a system menu; null when
// it has none.
HWND FindThreadWindow();
// EnumThreadWindows callback of FindThreadWindow: `result` points at the HWND
// that receives the window; returns FALSE to stop at it.
BOOL CALLBACK EnumThreadWndProc(HWND window, LPARAM result);
// Shows or hides the thread's own top-level window; nothing when it has none.
void ShowAppWindow(bool show);
// Restores and shows the console window and asks for the foreground; with
// `force`, borrows the foreground thread's input for that one request. True
// when the console window is then in front.
bool ActivateWindow(bool force);

}  // namespace Con
