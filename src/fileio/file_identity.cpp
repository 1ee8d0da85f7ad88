// The identity of an open file, as the system names it.
#include "fileio/file_identity.h"

#include "fileio/file_calls.h"

namespace modFileIO {

bool SameFileHandles(HANDLE one, HANDLE other) {
  BY_HANDLE_FILE_INFORMATION first;
  BY_HANDLE_FILE_INFORMATION second;
  return FilePlatform.GetFileInformationByHandle(one, &first) &&
         FilePlatform.GetFileInformationByHandle(other, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace modFileIO
