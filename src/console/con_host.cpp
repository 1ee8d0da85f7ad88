// Placeholder for host and parent-process detection.
#include "console/Con.h"
#include "console/ConState.h"

namespace Con {
bool IsCompiled() { return true; }
std::wstring GetParentImagePath() { return std::wstring(); }
std::wstring GetProcessImagePath(DWORD) { return std::wstring(); }
std::wstring DevicePathToDosPath(const std::wstring&) { return std::wstring(); }
bool IsFunctionExported(const std::wstring&, const std::wstring&) { return false; }
std::wstring TrimNull(const std::wstring& text) { return text; }
int32_t GetHostKind() { return 0; }
}  // namespace Con
