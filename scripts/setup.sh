#!/usr/bin/env bash
# Installs what building and testing blkcopy needs on Debian, skipping what is
# already there. Run as root.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for pkg in cmake ninja-build g++ googletest tmux coreutils locales x11-utils; do have "$pkg" || need+=("$pkg"); done
# Packaging: dpkg-shlibdeps and file find the .deb's dependencies; man checks the
# page; lintian checks the .deb as Debian would.
for pkg in dpkg-dev file man-db lintian; do have "$pkg" || need+=("$pkg"); done
# The fault tests' FUSE file system (tests/support/faulty_fs.py): fusepy, on libfuse 2.
for pkg in python3-fusepy fuse3; do have "$pkg" || need+=("$pkg"); done
# The real file systems the tests mount and mark: a bind mount through FUSE,
# ext4 and FAT images (mkfs, chattr), FAT through FUSE; faked clocks; and
# the bench's strace.
for pkg in bindfs e2fsprogs dosfstools fusefat faketime strace; do have "$pkg" || need+=("$pkg"); done
if [ "${1:-}" != "--native-only" ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    need+=(wine32:i386)
  fi
  for pkg in mingw-w64 wine wine64 wine32:i386; do have "$pkg" || need+=("$pkg"); done
fi
if [ "${#need[@]}" -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
# The terminal tests' non-UTF-8 locales (a terminal in KOI8-R, in Latin-1).
locale -a | grep -qix ru_RU.koi8r || localedef -i ru_RU -f KOI8-R ru_RU.KOI8-R
locale -a | grep -qix de_DE.iso88591 || localedef -i de_DE -f ISO-8859-1 de_DE.ISO-8859-1
