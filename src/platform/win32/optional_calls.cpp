// The calls that not every Windows version exports, bound by name at run
// time so that the program loads on all of them.
#include "platform/platform.h"

namespace {

template <typename Call>
void Bind(Call& entry, HMODULE module, const char* name) {
  const FARPROC found = module ? GetProcAddress(module, name) : nullptr;
  entry = reinterpret_cast<Call>(reinterpret_cast<void (*)()>(found));
}

bool NtFamily() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

OptionalCalls BindAll() {
  OptionalCalls calls = {};
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  // Windows 95/98/Me have no psapi.dll; the library stays loaded for the
  // process's life, as the calls bound from it do.
  const HMODULE psapi = LoadLibraryA("psapi.dll");
  Bind(calls.ConsoleWindow, kernel, "GetConsoleWindow");
  Bind(calls.GetFontEx, kernel, "GetCurrentConsoleFontEx");
  Bind(calls.SetFontEx, kernel, "SetCurrentConsoleFontEx");
  Bind(calls.Snapshot, kernel, "CreateToolhelp32Snapshot");
  Bind(calls.FirstProcess, kernel, "Process32First");
  Bind(calls.NextProcess, kernel, "Process32Next");
  Bind(calls.ModuleFileNameEx, psapi, "GetModuleFileNameExA");
  Bind(calls.ImageFileName, psapi, "GetProcessImageFileNameA");
  Bind(calls.DosDevice, kernel, "QueryDosDeviceA");
  if (NtFamily()) {
    Bind(calls.CommandLineW, kernel, "GetCommandLineW");
    Bind(calls.GetTitleW, kernel, "GetConsoleTitleW");
    Bind(calls.SetTitleW, kernel, "SetConsoleTitleW");
  }
  return calls;
}

}  // namespace

OptionalCalls& SystemCalls() {
  static OptionalCalls calls = BindAll();
  return calls;
}
