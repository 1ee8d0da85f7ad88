// The one door to the operating system. The modules include this header and
// nothing else of the platform's: on Windows it is <windows.h> with the few
// system headers the console layer needs; elsewhere it is our POSIX
// implementation of the same Win32 subset (src/platform/posix/).
#pragma once

#include <cstdint>
#include <string>

#if defined(_WIN32)
#include "win32/win32.h"
#else
#include "posix/win32_posix.h"
#endif

// The process's command-line text after the program's own name, as wide text
// exactly as the shell handed it over. On Windows it comes from
// GetCommandLineW, not from the ANSI command line, which Windows best-fits
// (a fullwidth quote would turn into a real one); only a system without a
// wide command line (95/98/Me) gives the ANSI one. On POSIX it is rebuilt from
// argv so that SplitCommandLine gives back exactly the arguments the shell
// passed. Returns false, with a message for the user in `problem`, when an
// argument can't be represented in that text (a POSIX argument that holds a
// double quote, or one that isn't valid text in the locale's encoding).
bool GetArgumentText(std::wstring& text, std::wstring& problem);

// Calls that only some Windows versions have. The program reaches them only
// through this record: importing one would keep the program from loading at
// all on a system that lacks it. On Windows each entry is looked up once, by
// name, in its system library (GetModuleHandleA, or LoadLibraryA for
// psapi.dll, then GetProcAddress); on POSIX they are our own layer's. A null
// entry means the running system lacks the call, and the caller takes the
// path that a failed call would take. Tests may replace entries.
struct OptionalCalls {
  HWND(WINAPI* ConsoleWindow)(void);                              // 2000
  BOOL(WINAPI* GetFontEx)(HANDLE, BOOL, PCONSOLE_FONT_INFOEX);     // Vista
  BOOL(WINAPI* SetFontEx)(HANDLE, BOOL, PCONSOLE_FONT_INFOEX);     // Vista
  HANDLE(WINAPI* Snapshot)(DWORD flags, DWORD processId);         // 95, 2000
  BOOL(WINAPI* FirstProcess)(HANDLE, LPPROCESSENTRY32);           // 95, 2000
  BOOL(WINAPI* NextProcess)(HANDLE, LPPROCESSENTRY32);            // 95, 2000
  DWORD(WINAPI* ModuleFileNameEx)(HANDLE, HMODULE, LPSTR, DWORD);  // psapi, NT 4.0
  DWORD(WINAPI* ImageFileName)(HANDLE, LPSTR, DWORD);             // psapi, XP
  DWORD(WINAPI* DosDevice)(LPCSTR, LPSTR, DWORD);                 // NT 3.1, not 95
  // Null on the 95/98/Me family too, whose W entry points are stubs: there
  // the ANSI command line is the one the program was given.
  LPWSTR(WINAPI* CommandLineW)(void);                             // NT 3.1
  // The console title as wide text, on the NT family only (95/98/Me stubs
  // fail); none on POSIX, which never searches for its window by title.
  DWORD(WINAPI* GetTitleW)(LPWSTR, DWORD);                        // NT 3.1
  BOOL(WINAPI* SetTitleW)(LPCWSTR);                               // NT 3.1
};
OptionalCalls& SystemCalls();

// The smallest sector of any disk, in bytes. An offset or a size that is no
// multiple of it is a whole number of sectors on no disk; the POSIX layer
// holds unbuffered transfers to it where the kernel doesn't apply the disk's
// own rule.
constexpr DWORD SmallestSectorBytes = 512;

// The file information of what `path` names now, as GetFileInformationByHandle
// gives it for an open handle, without opening the file for any access: a
// stat of the name on POSIX (a device's size is not measured there); on
// Windows a handle that may only query, held for this one call. FALSE, with
// the system's error, when the name reaches nothing.
BOOL WINAPI GetFileInformationByPath(LPCSTR path, LPBY_HANDLE_FILE_INFORMATION info);

// Whether the creation time of a file's information moves with every change
// of the file: the POSIX layer fills it with the status-change time (ctime),
// which a copy given its source's times still has of its own. Only then do
// two paths whose sizes and times all agree name one file. Windows keeps a
// true creation time, which Wine may report as the last-write time.
#if defined(_WIN32)
constexpr bool CreationTimeIsChangeTime = false;
#else
constexpr bool CreationTimeIsChangeTime = true;
#endif

// The largest file, in bytes, that the system lets this process write, as it
// limits the process itself (ulimit -f on POSIX); -1 when it sets no such
// limit. Windows has none: there only the file system's largest file counts.
int64_t ProcessFileSizeLimit();

// The type of the file system that holds the path (the file, or its folder
// when there is no such file) as the system names it: "ext4", "xfs", "vfat",
// "fuseblk", "fuse.fusefat", "tmpfs" on Linux; "NTFS", "FAT32", "FAT" on
// Windows. Empty when the system doesn't tell. For messages that must name
// the file system whose limit was met, never guess one.
std::wstring FileSystemNameOf(const std::string& ansiPath);

// True when the file has the immutable or the append-only attribute (chattr
// +i, +a on Linux), which refuse a write whatever the file's permissions say.
// Windows has no such attributes: false there.
bool ImmutableOrAppendOnly(const std::string& ansiPath);

// SetConsoleTextAttribute for the program's colours. On Windows, NO_COLOR set
// and not empty leaves the console's colours as they are: the call then does
// nothing. On POSIX it is SetConsoleTextAttribute itself: the terminal side
// leaves the colours out of what it sends (NO_COLOR, a terminal without
// colours) and keeps underline and reverse video.
BOOL WINAPI SetTextColours(HANDLE output, WORD attribute);

// Columns the text takes on the console. A Windows console shows each
// character of the ANSI code page in one cell; a terminal gives East Asian
// wide characters two cells and combining marks none. Every layout that
// depends on a text's width counts with this.
int TextColumns(const std::wstring& text);
