// Placeholder for set-up, teardown and fonts.
#include "console/Con.h"
#include "console/ConState.h"

namespace Con {
namespace {
int ExitCodeValue = 0;
}
int32_t Initialize() { return 0; }
void Terminate() {}
void SetExitCode(int code) { ExitCodeValue = code; }
int GetExitCode() { return ExitCodeValue; }
void SaveFont() {}
void RestoreFont() {}
}  // namespace Con
