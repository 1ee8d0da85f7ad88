// The copy engine's platform calls as the platform makes them.
#include "fileio/file_calls.h"

#include "fileio/testing.h"

namespace modFileIO {

FileCalls RealFileCalls() {
  return FileCalls{CreateFileA,     ReadFile,
                   WriteFile,       SetFilePointer,
                   GetFileSize,     FlushFileBuffers,
                   GetFileType,     GetFileInformationByHandle,
                   GetFileInformationByPath, GetFileTime,
                   SetFileTime,     LockFile,
                   UnlockFile,      CloseHandle,
                   GetDiskFreeSpaceA, VirtualAlloc,
                   VirtualFree,     DeviceIoControl,
                   GetFileAttributesA, DeleteFileA};
}

FileCalls FilePlatform = RealFileCalls();

}  // namespace modFileIO
