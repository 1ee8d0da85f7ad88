// Fault injection at the copy engine's call table (fileio/file_calls.h): makes
// chosen calls fail with a chosen Win32 error, so that tests and the test
// program (blkcopy_faults, built with the tests, never installed) can walk
// the copy engine's failure paths (a full disk, a failing read, a flush that
// does not reach the disk) on a healthy machine, on either system.
//
// A fault list is a comma-separated list of rules; each rule is a function
// name followed by colon-separated settings:
//
//   Function[:after=N][:error=E][:times=T]
//
//   after=N  the first N calls of Function (counted from the moment the list
//            is set) succeed; the call after them fails. Default 0.
//   error=E  the Win32 error code (decimal) that GetLastError reports for the
//            failed call. Default 31 (ERROR_GEN_FAILURE).
//   times=T  how many calls fail from there on; 0 means every later call.
//            Default 1.
//   short=S  ReadFile only: the call does not fail but reads at most S bytes,
//            as a read cut short in the middle of the source.
//
// Several rules may name one function; each counts its calls on its own, and
// a call fails when any of them says so (with the first such rule's error).
//
// Functions that honour it: CreateFileA, ReadFile, WriteFile, SetFilePointer,
// GetFileSize, FlushFileBuffers, LockFile, VirtualAlloc; a rule naming any
// other can't be read. Only the engine's
// own calls count (ReadFile and WriteFile on the files it opened, never the
// console's output). A failing call does nothing but fail: no byte is moved,
// no file is created, no position changes.
//
// Example, a disk that fills up after three blocks and a source whose fifth
// read fails with a device error:
//
//   BLKCOPY_FAULTS="WriteFile:after=3:error=112,ReadFile:after=4:error=1117"
//
// The test program reads BLKCOPY_FAULTS once, at its start. A rule that can't
// be read is reported on standard error and the whole list is ignored. The
// program that ships (blkcopy) has no such door: it ignores the variable.
#pragma once

#include <string>

namespace FileFaults {

// Replaces the fault list with `spec` (the syntax above; empty clears it) and
// restarts every call count. Returns false, leaving no fault armed, when a
// rule can't be read; `problem` then says which.
bool SetFaults(const std::string& spec, std::string* problem = nullptr);
// Removes every fault.
void ClearFaults();
// Sets the list from BLKCOPY_FAULTS, reporting an unreadable one.
void SetFaultsFromEnvironment();
// Counts one call of `function`; when a rule makes this call fail, sets the
// last error and returns true.
bool CallFails(const char* function);

}  // namespace FileFaults
