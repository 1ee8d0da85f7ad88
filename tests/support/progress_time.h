// A local date and time for the progress tests, milliseconds 0.
#pragma once

#include "platform/platform.h"

inline SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  return SYSTEMTIME{year, month, 0, day, hour, minute, second, 0};  // no day of the week
}
