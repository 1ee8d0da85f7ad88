// The platform calls behind host, parent-process and console-window
// detection, kept in one record so that a test can answer in the platform's
// place: drive lists and device targets, another Windows family, a process
// list, the command interpreter's variable, a system that lacks a call (a null
// entry: the call is bound at run time, see SystemCalls). Private to Con and
// its tests.
#pragma once

#include "platform/platform.h"

namespace Con {

struct HostCalls {
  BOOL(WINAPI* VersionEx)(LPOSVERSIONINFOA info);
  HANDLE(WINAPI* Snapshot)(DWORD flags, DWORD processId);
  BOOL(WINAPI* FirstProcess)(HANDLE snapshot, LPPROCESSENTRY32 entry);
  BOOL(WINAPI* NextProcess)(HANDLE snapshot, LPPROCESSENTRY32 entry);
  HANDLE(WINAPI* OpenProc)(DWORD access, BOOL inherit, DWORD processId);
  DWORD(WINAPI* ModuleFileNameEx)(HANDLE process, HMODULE module, LPSTR buffer, DWORD size);
  DWORD(WINAPI* ImageFileName)(HANDLE process, LPSTR buffer, DWORD size);
  DWORD(WINAPI* DriveStrings)(DWORD size, LPSTR buffer);
  DWORD(WINAPI* DosDevice)(LPCSTR device, LPSTR target, DWORD size);
  DWORD(WINAPI* EnvironmentVariable)(LPCSTR name, LPSTR buffer, DWORD size);
  BOOL(WINAPI* Close)(HANDLE handle);
  HWND(WINAPI* ConsoleWindow)(void);
  BOOL(WINAPI* GetFontEx)(HANDLE output, BOOL maximumWindow, PCONSOLE_FONT_INFOEX font);
  BOOL(WINAPI* SetFontEx)(HANDLE output, BOOL maximumWindow, PCONSOLE_FONT_INFOEX font);
};

// The calls in use: the platform's own unless a test replaced them.
extern HostCalls HostPlatform;
// The platform's own calls, for putting them back.
HostCalls RealHostCalls();

}  // namespace Con
