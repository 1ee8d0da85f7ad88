// The one door to the operating system. The modules include this header and
// nothing else of the platform's: on Windows it is <windows.h> with the few
// system headers the console layer needs; elsewhere it is our POSIX
// implementation of the same Win32 subset (src/platform/posix/).
#pragma once

#include <string>

#if defined(_WIN32)
#include "win32/win32.h"
#else
#include "posix/win32_posix.h"
#endif

// The process's command-line text after the program's own name, as wide text
// exactly as the shell handed it over. On Windows it comes from
// GetCommandLineW, never from the ANSI command line, which Windows best-fits
// (a fullwidth quote would turn into a real one). On POSIX it is rebuilt from
// argv so that SplitCommandLine gives back exactly the arguments the shell
// passed. Returns false, with a message for the user in `problem`, when an
// argument can't be represented in that text (a POSIX argument that holds a
// double quote, or one that isn't valid text in the locale's encoding).
bool GetArgumentText(std::wstring& text, std::wstring& problem);

// Columns the text takes on the console. A Windows console shows each
// character of the ANSI code page in one cell; a terminal gives East Asian
// wide characters two cells and combining marks none. Every layout that
// depends on a text's width counts with this.
int TextColumns(const std::wstring& text);
