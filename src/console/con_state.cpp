// The console layer's shared state and its break flag.
#include "console/Con.h"
#include "console/ConState.h"

namespace Con {

HANDLE hConIn = nullptr;
HANDLE hConOut = nullptr;
HANDLE hConErr = nullptr;
HWND hConWnd = nullptr;
bool Compiled = false;
std::wstring ParentPath;
DWORD ParentPid = 0;
std::atomic<bool> BreakFlag{false};

// Runs on the system's handler thread: store and return, nothing else, so the
// copy loop can stop in order between blocks.
BOOL WINAPI CtrlHandler(DWORD) {
  BreakFlag.store(true);
  return TRUE;
}

bool BreakPressed() { return BreakFlag.load(); }

}  // namespace Con
