// What Linux calls the things that are no file and no disk.
#include "platform/names.h"

const wchar_t* CharacterDeviceExamples() {
  return L"It is a character device or a terminal (such as /dev/null, /dev/zero or a "
         L"terminal), or a file the system makes up as it is read (such as those in /proc)";
}

const wchar_t* PipeExamples() { return L"It is a pipe, a FIFO or a socket"; }
