// Key input and the pause prompt.
#include <string>

#include "console/Con.h"
#include "console/ConState.h"
#include "platform/textconv.h"

namespace Con {

namespace {

const wchar_t kDefaultPrompt[] = L"Press any key to continue . . . ";

// Writes through the console's own call, so that nothing of a prompt lands in
// a redirected standard output (WriteConsoleA refuses a file or a pipe).
void WriteToConsole(const std::wstring& text) {
  std::string bytes;
  WideToCodePage(text, GetConsoleOutputCP(), bytes, false);
  if (bytes.empty()) return;
  DWORD written = 0;
  WriteConsoleA(hConOut, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

uint8_t ReadKey() {
  // Keys typed before the wait must not end it.
  FlushConsoleInputBuffer(hConIn);
  DWORD mode = 0;
  // Standard input is not a console: there is no key to wait for, and no
  // mode that could be put back afterwards.
  if (!GetConsoleMode(hConIn, &mode)) return 0;
  // Mode 0: one key ends the read, nothing is echoed, and Ctrl+C arrives as
  // the character 3 instead of as a control event.
  SetConsoleMode(hConIn, 0);
  char key = 0;
  DWORD read = 0;
  const BOOL got = ReadConsoleA(hConIn, &key, 1, &read, nullptr);
  SetConsoleMode(hConIn, mode);
  return got && read == 1 ? static_cast<uint8_t>(key) : 0;
}

void Pause(const std::wstring& prompt, bool newLine) {
  WriteToConsole(prompt.empty() ? std::wstring(kDefaultPrompt) : prompt);
  ReadKey();
  if (newLine) WriteToConsole(L"\r\n");
}

}  // namespace Con
