// Placeholder for key input and pause.
#include "console/Con.h"
#include "console/ConState.h"

namespace Con {
uint8_t ReadKey() { return 0; }
void Pause(const std::wstring&, bool) {}
}  // namespace Con
