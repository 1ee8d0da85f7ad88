// The in-memory console on Windows: bound in Con's output calls, whose text,
// colours, cursor, modes and title then reach it in the system's place. Its
// handles are tokens that only those calls know.
#include <algorithm>

#include "console/ConOutputCalls.h"
#include "support/memory_console_state.h"

namespace {

MemoryConsole::State* Bound = nullptr;
const char Tokens[3] = {};  // input, output, error

// Which standard handle of the bound console `handle` is (STD_INPUT_HANDLE
// and so on), or 0 when none.
DWORD Which(HANDLE handle) {
  if (!Bound) return 0;
  for (int k = 0; k < 3; ++k)
    if (handle == static_cast<HANDLE>(const_cast<char*>(&Tokens[k]))) return STD_INPUT_HANDLE - k;
  return 0;
}

bool Redirected(DWORD which) {
  if (which == STD_INPUT_HANDLE) return Bound->inputRedirected;
  return which == STD_OUTPUT_HANDLE && Bound->outputRedirected;
}

// A screen handle of the bound console; else the call fails as on a file.
MemoryScreen* ScreenOf(HANDLE handle) {
  const DWORD which = Which(handle);
  if (which != 0 && which != STD_INPUT_HANDLE && !Redirected(which)) return &Bound->screen;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

BOOL WINAPI Write(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED) {
  if (written) *written = 0;
  const DWORD which = Which(file);
  if (which == 0 || which == STD_INPUT_HANDLE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (Redirected(which))
    Bound->outputBytes.append(static_cast<const char*>(buffer), size);
  else if (!Bound->screen.Write(static_cast<const char*>(buffer), size))
    return FALSE;
  if (written) *written = size;
  return TRUE;
}

BOOL WINAPI ScreenInfo(HANDLE output, PCONSOLE_SCREEN_BUFFER_INFO info) {
  MemoryScreen* screen = ScreenOf(output);
  if (screen) screen->GetInfo(*info);
  return screen ? TRUE : FALSE;
}

BOOL WINAPI SetAttribute(HANDLE output, WORD attribute) {
  MemoryScreen* screen = ScreenOf(output);
  return screen ? screen->SetAttribute(attribute) : FALSE;
}

BOOL WINAPI SetCursor(HANDLE output, COORD position) {
  MemoryScreen* screen = ScreenOf(output);
  return screen ? screen->SetCursor(position) : FALSE;
}

BOOL WINAPI GetMode(HANDLE handle, LPDWORD mode) {
  const DWORD which = Which(handle);
  if (which == STD_INPUT_HANDLE && !Redirected(which)) {
    *mode = Bound->inputMode;
    return TRUE;
  }
  MemoryScreen* screen = ScreenOf(handle);
  if (screen) *mode = screen->Mode();
  return screen ? TRUE : FALSE;
}

// The screen takes UTF-8, as the terminal does.
UINT WINAPI CodePage() { return CP_UTF8; }

DWORD WINAPI GetTitle(LPSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  const size_t count = std::min<size_t>(Bound->title.size(), size - 1);
  Bound->title.copy(buffer, count);
  buffer[count] = '\0';
  return static_cast<DWORD>(count);
}

BOOL WINAPI SetTitle(LPCSTR title) {
  Bound->title = title;
  return TRUE;
}

struct Win32Seat : MemoryConsole::Seat {
  explicit Win32Seat(MemoryConsole::State& console) : state(console) {}
  MemoryConsole::State& state;

  HANDLE Handle(DWORD which) override {
    return static_cast<HANDLE>(const_cast<char*>(&Tokens[STD_INPUT_HANDLE - which]));
  }
  void Bind(bool bound) override {
    Bound = bound ? &state : nullptr;
    Con::OutputPlatform = Con::OutputCalls();
    if (!bound) return;
    Con::OutputPlatform = {&Write,   &ScreenInfo, &SetAttribute, &SetCursor, &GetMode,
                           &CodePage, &CodePage,  &GetTitle,     &SetTitle};
  }
};

}  // namespace

std::unique_ptr<MemoryConsole::Seat> MemoryConsole::NewSeat(State& state) {
  return std::unique_ptr<Seat>(new Win32Seat(state));
}
