// Placeholder.
#include "platform/platform.h"

bool GetArgumentText(std::wstring& text, std::wstring& problem) {
  text.clear();
  problem.clear();
  return true;
}
