// modMain: the program's entry, the usage box, the command-line tokenizer and
// the copy options.
#pragma once

#include <string>
#include <vector>

namespace modMain {

// What a command line asks for: a copy, or only the help or the version.
enum Request { RequestCopy, RequestHelp, RequestVersion };

// The options of one run, as read from the command line.
struct CopyParams {
  Request Asked = RequestCopy;
  std::wstring Source;
  std::wstring Dest;
  std::wstring Bufsize = L"64K";  // as typed: a number and B, K or M
  bool Resume = false;            // "/R": append to an interrupted copy
  bool Verify = false;            // "/V": read the copy back and compare
  bool Valid = false;             // exactly one source and one destination
};

// Exit codes of the program.
enum ExitCode {
  ExitCompleted = 0,
  ExitBadCommandLine = 1,
  ExitNotStarted = 2,
  ExitFailed = 3,
  ExitStopped = 4
};

// Splits the argument text into arguments at spaces outside double quotes.
// An odd number of quotes yields no arguments at all. With stripQuotes, the
// quotes are removed from each stored argument.
std::vector<std::wstring> SplitCommandLine(const std::wstring& argumentText, bool stripQuotes);
// Reads "/R", "/V", block sizes and the two paths, in any order. A help switch
// ("/?", "-h", "--help") or a version switch ("-V", "--version") anywhere
// asks for that alone, whatever else stands beside it; the first one counts.
CopyParams ParseCopyParams(const std::vector<std::wstring>& args);
// Sets modFileIO::BufferBytes from a size text that passed ParseCopyParams'
// size test. Returns false, after telling the user why, when the size can't
// be used (out of range, zero or negative); BufferBytes is then unchanged.
bool SetBufferBytes(const std::wstring& bufsize);
// True when both paths convert exactly to the ANSI code page. Otherwise tells
// the user which path can't be used and returns false: a path is never handed
// to the system as look-alike characters (a fullwidth quote must not become a
// real one, a division slash not a path separator).
bool PathsUsable(const CopyParams& p);
// Paints the usage box (plain lines when the console can't show the box),
// then waits for a key if waitForKey: after a command line it can't use,
// not after a request for help.
void ShowUsage(bool waitForKey);
// Writes the program's name and version as one line.
void ShowVersion();

// The whole run: console set-up, command line, copy or usage box, restore.
// Returns the exit code, also recorded with Con::SetExitCode.
int Main();

}  // namespace modMain
