// State shared by the console layer's files. Private to Con: other modules
// reach it only through the operations of Con.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace Con {

extern HANDLE hConIn;
extern HANDLE hConOut;
extern HANDLE hConErr;
extern HWND hConWnd;
extern bool Compiled;
extern std::wstring ParentPath;
extern DWORD ParentPid;
// Written by CtrlHandler on the system's handler thread, read by BreakPressed
// on the main thread.
extern std::atomic<bool> BreakFlag;

}  // namespace Con
