// Limits Windows sets on a process: none on the size of the files it writes.
#include "platform/platform.h"

int64_t ProcessFileSizeLimit() { return -1; }
