// Set-up and teardown of the console, the teardown hook that runs at process
// end, the recorded exit code, and the console font.
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "console/Con.h"
#include "console/ConHostCalls.h"
#include "console/ConOutputCalls.h"
#include "console/ConState.h"

namespace Con {

namespace {

const DWORD kInputMode = ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT;
const DWORD kOutputMode = ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
const wchar_t kHostedEnd[] =
    L"\r\n\r\n --- Execution Complete: Press any key to return to the IDE --- ";

// The teardown hook is a COM object in the platform's layout: its first
// field leads to a table of QueryInterface, AddRef and Release.
struct HookTable {
  HRESULT(WINAPI* QueryInterface)(void* object, const void* interfaceId, void** result);
  ULONG(WINAPI* AddRef)(void* object);
  ULONG(WINAPI* Release)(void* object);
};
struct HookRecord {
  const HookTable* Table;
  void* Object;  // the record itself once armed; null once released
};

// This run's console set-up, from Initialize to Terminate; the first
// Initialize starts it afresh.
struct ConsoleRun {
  HookTable HookOperations;
  HookRecord TeardownHook;
  // Set by the first Initialize; a later one finds it and does nothing.
  const HookTable* HookMark;
  // What Initialize found, and whether it could read it: a value that could
  // not be read is not written back.
  DWORD SavedInMode;
  DWORD SavedOutMode;
  int32_t SavedAttr;
  bool InModeSaved;
  bool OutModeSaved;
  bool AttrSaved;
  CONSOLE_FONT_INFOEX SavedFont;
  bool FontSaved;
  int ExitCode;
} Run = {};

HRESULT WINAPI HookQueryInterface(void*, const void*, void** result) {
  if (result) *result = nullptr;
  return E_NOINTERFACE;
}

ULONG WINAPI HookAddRef(void*) { return 0; }

ULONG WINAPI HookRelease(void*) {
  Terminate();
  return 0;
}

// The process's exit-time clean-up: releases the one reference, once.
void ReleaseTeardownHook() {
  void* object = Run.TeardownHook.Object;
  if (!object) return;
  Run.TeardownHook.Object = nullptr;
  (*static_cast<const HookTable* const*>(object))->Release(object);
}

void ArmTeardownHook() {
  if (Run.TeardownHook.Table) return;
  Run.HookOperations.QueryInterface = HookQueryInterface;
  Run.HookOperations.AddRef = HookAddRef;
  Run.HookOperations.Release = HookRelease;
  Run.HookMark = &Run.HookOperations;
  Run.TeardownHook.Table = &Run.HookOperations;
  Run.TeardownHook.Object = &Run.TeardownHook;
}

void SaveConsoleState() {
  Run.InModeSaved = GetConsoleMode(hConIn, &Run.SavedInMode) != FALSE;
  Run.OutModeSaved = GetConsoleMode(hConOut, &Run.SavedOutMode) != FALSE;
  // Whole modes: mouse, window and quick-edit input, virtual-terminal
  // output and the rest stay off until the teardown.
  if (Run.InModeSaved) SetConsoleMode(hConIn, kInputMode);
  if (Run.OutModeSaved) SetConsoleMode(hConOut, kOutputMode);
  CONSOLE_SCREEN_BUFFER_INFO info = {};
  Run.AttrSaved = GetConsoleScreenBufferInfo(hConOut, &info) != FALSE;
  if (Run.AttrSaved) Run.SavedAttr = info.wAttributes;
}

// A record that names no real font: the save failed, or the console answered
// with no face or no height. Setting such a record changes the user's font
// to nothing they had (and brings down Wine 8's console host).
bool IsUsableFont(const CONSOLE_FONT_INFOEX& font) {
  return Run.FontSaved && font.FaceName[0] != L'\0' && font.dwFontSize.Y != 0;
}

bool SameFont(const CONSOLE_FONT_INFOEX& a, const CONSOLE_FONT_INFOEX& b) {
  return a.dwFontSize.X == b.dwFontSize.X && a.dwFontSize.Y == b.dwFontSize.Y &&
         a.FontFamily == b.FontFamily && a.FontWeight == b.FontWeight &&
         std::wcsncmp(a.FaceName, b.FaceName, sizeof(a.FaceName) / sizeof(a.FaceName[0])) == 0;
}

}  // namespace

int32_t Initialize() {
  if (Run.HookMark) return 0;
  Run = {};
  ArmTeardownHook();
  Compiled = IsCompiled();
  // Hosted, the process has no console until it makes one: that comes first.
  hConWnd = Compiled ? GetConsoleHwnd() : CreateOwnConsole();
  SetConsoleCtrlHandler(CtrlHandler, TRUE);
  hConErr = GetStdHandle(STD_ERROR_HANDLE);
  hConIn = GetStdHandle(STD_INPUT_HANDLE);
  hConOut = GetStdHandle(STD_OUTPUT_HANDLE);
  ForgetTargetModes();
  SaveConsoleState();
  ParentPath = GetParentImagePath();
  ShowAppWindow(false);
  // Registered last, so that it runs before the clean-up of anything the
  // calls above brought into being.
  std::atexit(ReleaseTeardownHook);
  return GetHostKind();
}

void Terminate() {
  // Whatever the program left in the C library's buffers goes out while the
  // handles are still open.
  std::fflush(nullptr);
  if (Run.AttrSaved) SetConsoleTextAttribute(hConOut, static_cast<WORD>(Run.SavedAttr));
  if (Run.InModeSaved) SetConsoleMode(hConIn, Run.SavedInMode);
  if (Run.OutModeSaved) SetConsoleMode(hConOut, Run.SavedOutMode);
  if (!Compiled) {
    ActivateWindow(true);
    Pause(kHostedEnd, true);
    FreeConsole();
  }
  CloseHandle(hConErr);
  CloseHandle(hConIn);
  CloseHandle(hConOut);
  // A script must see how the copy went: the recorded code, not always 0.
  if (Compiled) ExitProcess(static_cast<UINT>(Run.ExitCode));
}

void SetExitCode(int code) { Run.ExitCode = code; }

void SaveFont() {
  CONSOLE_FONT_INFOEX font = {};
  font.cbSize = sizeof(font);
  // Before Vista there is no such call: a font that can't be saved.
  Run.FontSaved =
      HostPlatform.GetFontEx && HostPlatform.GetFontEx(hConOut, FALSE, &font) != FALSE;
  Run.SavedFont = font;
}

void RestoreFont() {
  CONSOLE_FONT_INFOEX font = Run.SavedFont;
  font.cbSize = sizeof(font);
  if (!IsUsableFont(font) || !HostPlatform.SetFontEx) return;
  // The program never changes the font itself: when it is still the saved
  // one, there is nothing to give back.
  CONSOLE_FONT_INFOEX current = {};
  current.cbSize = sizeof(current);
  if (HostPlatform.GetFontEx && HostPlatform.GetFontEx(hConOut, FALSE, &current) &&
      SameFont(current, font)) return;
  HostPlatform.SetFontEx(hConOut, FALSE, &font);
}

}  // namespace Con
