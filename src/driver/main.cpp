// The process entry: the whole run is modMain::Main. The console layer's
// teardown runs after it has returned, during the exit-time clean-up, and ends
// the process with the recorded exit code.
#include "driver/modMain.h"

int main() { return modMain::Main(); }
