// DeviceIoControl with FSCTL_QUERY_ALLOCATED_RANGES, the one control code the
// program asks, over SEEK_DATA and SEEK_HOLE: the parts of a file that hold
// data, as Windows lists them for a sparse file. A file system that keeps no
// holes answers with one range over the whole file, as Windows does for a
// file that is not sparse.
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/handle.h"

BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer,
                            DWORD nInBufferSize, LPVOID lpOutBuffer, DWORD nOutBufferSize,
                            LPDWORD lpBytesReturned, LPOVERLAPPED /*lpOverlapped*/) {
  PosixHandle* object = FromHandle(hDevice);
  if (lpBytesReturned) *lpBytesReturned = 0;
  if (!object) return FALSE;
  if (dwIoControlCode != FSCTL_QUERY_ALLOCATED_RANGES) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  const auto* query = static_cast<const FILE_ALLOCATED_RANGE_BUFFER*>(lpInBuffer);
  auto* ranges = static_cast<FILE_ALLOCATED_RANGE_BUFFER*>(lpOutBuffer);
  if (!query || nInBufferSize < sizeof *query || query->FileOffset.QuadPart < 0 ||
      query->Length.QuadPart < 0 || (!ranges && nOutBufferSize > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD room = nOutBufferSize / sizeof *ranges;
  const int64_t end = query->FileOffset.QuadPart + query->Length.QuadPart;
  DWORD count = 0;
  for (int64_t at = query->FileOffset.QuadPart; at < end;) {
    const off_t data = ::lseek(object->fd, at, SEEK_DATA);
    if (data < 0 && errno == ENXIO) break;  // no data from here to the file's end
    const off_t hole = data < 0 ? -1 : ::lseek(object->fd, data, SEEK_HOLE);
    if (data < 0 || hole < 0) {
      SetLastErrorFromErrno(errno);
      return FALSE;
    }
    if (data >= end) break;
    if (count == room) {
      if (lpBytesReturned) *lpBytesReturned = count * sizeof *ranges;
      SetLastError(ERROR_MORE_DATA);
      return FALSE;
    }
    ranges[count].FileOffset.QuadPart = data;
    ranges[count].Length.QuadPart = (hole < end ? hole : end) - data;
    ++count;
    at = hole;
  }
  if (lpBytesReturned) *lpBytesReturned = count * sizeof *ranges;
  return TRUE;
}
