// Whether the terminal should be sent colours at all. Private to
// src/platform/posix/.
#pragma once

// False when NO_COLOR is set and not empty (the user's wish, see no-color.org)
// or when the terminal's terminfo entry says it has no colours (xterm-mono,
// vt100). A terminal without a terminfo entry here keeps its colours, as
// before. Decided once per process.
bool TerminalShowsColours();

// The `colors` number of TERM's compiled terminfo entry; -1 when the entry
// gives none (a monochrome terminal), -2 when no entry was found.
int TerminfoColours(const char* term);
