// The FUSE file system of support/faulty_fs.py, mounted for one test: a
// folder passed through, with the script's faults on cue (--eio, --cut,
// --cached). The script runs under timeout -k, so a test that dies leaves
// no daemon behind for long.
#pragma once

#include <thread>

#include "support/missing_tool.h"
#include "support/program_posix.h"

namespace reliability {

class FaultyFs {
 public:
  FaultyFs() = default;
  FaultyFs(const FaultyFs&) = delete;
  FaultyFs& operator=(const FaultyFs&) = delete;
  ~FaultyFs() { Unmount(); }

  // Mounts `backing` at `mountpoint` (both existing folders) with the
  // script's `options`; its log and id go beside the mount point. Returns ""
  // once mounted, else why it can't be here, for GTEST_SKIP.
  std::string Mount(const fs::path& backing, const fs::path& mountpoint,
                    const std::string& options) {
    if (!fs::exists("/dev/fuse")) return "no /dev/fuse: FUSE can't be mounted here";
    if (Guarded("/usr/bin/python3 -c \"import fusepy\"") != 0)
      return "no python3-fusepy (scripts/setup.sh installs it)";
    mountpoint_ = mountpoint;
    const std::string log = mountpoint.string() + ".log";
    const std::string start = "timeout -k 5 600 /usr/bin/python3 " BLKCOPY_SOURCE_DIR
                              "/tests/support/faulty_fs.py " + backing.string() + " " +
                              mountpoint.string() + " " + options + " >" + log +
                              " 2>&1 & echo $! >" + mountpoint.string() + ".pid";
    if (std::system(start.c_str()) != 0) return "the FUSE script could not be started";
    for (int tries = 0; tries < 200 && !Mounted(); ++tries)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return Mounted() ? "" : "the FUSE mount was refused: " + ReadAll(log);
  }

  void Unmount() {
    if (mountpoint_.empty()) return;
    if (Mounted()) Guarded("umount " + mountpoint_.string());
    const pid_t pid = std::atoi(ReadAll(mountpoint_.string() + ".pid").c_str());
    if (pid > 0) ::kill(pid, SIGTERM);
    mountpoint_.clear();
  }

  bool Mounted() const {
    return ReadAll("/proc/self/mountinfo").find(" " + mountpoint_.string() + " ") !=
           std::string::npos;
  }

 private:
  fs::path mountpoint_;
};

}  // namespace reliability
