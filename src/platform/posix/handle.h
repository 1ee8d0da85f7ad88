// What a HANDLE is on POSIX: a pointer to a PosixHandle. Files, the standard
// handles, console handles and process snapshots all derive from it, so that
// ReadFile, WriteFile and CloseHandle dispatch without knowing the kind.
// Private to src/platform/posix/.
#pragma once

#include "platform/platform.h"

struct PosixHandle {
  explicit PosixHandle(int descriptor = -1) : fd(descriptor) {}
  virtual ~PosixHandle();
  PosixHandle(const PosixHandle&) = delete;
  PosixHandle& operator=(const PosixHandle&) = delete;

  // Plain descriptor I/O with Win32 results: FALSE and a Win32 last error on
  // failure. Derived kinds override what they do differently.
  virtual BOOL Read(void* buffer, DWORD size, DWORD* done);
  virtual BOOL Write(const void* buffer, DWORD size, DWORD* done);
  // Releases the object; returns FALSE with a last error when closing fails.
  // Kinds that outlive CloseHandle (the standard handles) override it.
  virtual BOOL Close();

  int fd;
};

// The object behind a handle, or null (with ERROR_INVALID_HANDLE set) for
// null and INVALID_HANDLE_VALUE.
PosixHandle* FromHandle(HANDLE handle);
inline HANDLE ToHandle(PosixHandle* object) { return static_cast<HANDLE>(object); }

// The Win32 error code for an errno value (ENOENT 2, EACCES 5, EINVAL 87,
// ENOSPC 112 ...), and SetLastError of it.
DWORD Win32ErrorFromErrno(int error);
void SetLastErrorFromErrno(int error);

// A time as FILETIME counts it: 100 ns ticks since 1601; null: nothing.
void ToFileTime(const struct timespec& time, FILETIME* target);
