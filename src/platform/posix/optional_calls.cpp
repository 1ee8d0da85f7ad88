// POSIX has every call of the layer, so nothing is missing here.
#include "platform/platform.h"

OptionalCalls& SystemCalls() {
  static OptionalCalls calls = {&GetConsoleWindow,         &GetCurrentConsoleFontEx,
                                &SetCurrentConsoleFontEx,  &CreateToolhelp32Snapshot,
                                &Process32First,           &Process32Next,
                                &GetModuleFileNameExA,     &GetProcessImageFileNameA,
                                &QueryDosDeviceA,          &GetCommandLineW,
                                nullptr,                   nullptr};
  return calls;
}
