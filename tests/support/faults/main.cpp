// The test program's entry: the shipped program's run, behind the faults that
// BLKCOPY_FAULTS names (support/faults/file_faults.h). Built with the tests,
// never installed.
#include "driver/modMain.h"
#include "support/faults/file_faults.h"

int main() {
  FileFaults::SetFaultsFromEnvironment();
  return modMain::Main();
}
