// What Windows calls the things that are no file and no disk.
#include "platform/names.h"

const wchar_t* CharacterDeviceExamples() {
  return L"It is a device or a console (such as NUL, CON, PRN, LPT1 or a COM port)";
}

const wchar_t* PipeExamples() { return L"It is a pipe (such as a named pipe, \\\\.\\pipe\\...)"; }
