// How the system that runs the program names the things that are no file
// and no disk, for messages that must be true where they are read.
#pragma once

// Character devices and consoles, such as "NUL, CON or a COM port".
const wchar_t* CharacterDeviceExamples();
// Pipes and their kin.
const wchar_t* PipeExamples();
