#!/usr/bin/env bash
# Checks the shipped Windows program without running it, so that a machine
# that can't start 32-bit programs still checks what users get: a 32-bit
# (PE32, i386) console program, large-address-aware (without it a 2047M
# block buffer can never be had, even on 64-bit Windows); imports that Windows 95 and NT 4.0 both have
# (scripts/check_imports.sh), from the DLLs it has always linked and no
# other; the manifest (the UTF-8 ANSI code page, long paths, x86) and the
# version resource with the project's version.
# Usage: scripts/check_exe.sh [path/to/blkcopy.exe]   (build-win32/blkcopy.exe)
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build-win32/blkcopy.exe}
version=$(sed -n 's/^project(blkcopy VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -f "$exe" ] || { echo "check_exe: no $exe; build the Windows program first" >&2; exit 2; }
status=0
fail() { echo "check_exe: $exe: $*" >&2; status=1; }
has() {  # TEXT LISTING WHAT
  grep -qF -- "$1" <<<"$2" || fail "$3"
}

headers=$(timeout -k 5 60 objdump -p "$exe" 2>&1) || fail "objdump can't read it"
has "file format pei-i386" "$headers" "not a 32-bit Intel Windows image"
grep -qE "^Magic[[:space:]]+010b" <<<"$headers" || fail "not PE32"
grep -qE "^Subsystem[[:space:]]+0+3[[:space:]]" <<<"$headers" || fail "not a console program"
grep -qi "large address aware" <<<"$headers" ||
  fail "not large-address-aware: link it with -Wl,--large-address-aware (CMakeLists.txt)"

dlls=$(awk '/DLL Name:/ { print tolower($3) }' <<<"$headers" | sort -u | tr '\n' ' ')
[ "$dlls" = "kernel32.dll msvcrt.dll user32.dll " ] ||
  fail "links $dlls; only kernel32, msvcrt and user32 may be linked (bind anything else at run time)"
OBJDUMP=objdump bash scripts/check_imports.sh "$exe" || status=1

text=$(strings -a "$exe")
has 'processorArchitecture="x86"' "$text" "the manifest is missing or not for x86"
has '>UTF-8</activeCodePage>' "$text" "the manifest does not ask for the UTF-8 code page"
has '>true</longPathAware>' "$text" "the manifest does not allow long paths"
wide=$(strings -a -el "$exe")
for field in FileVersion ProductVersion OriginalFilename; do
  has "$field" "$wide" "the version resource lacks $field"
done
grep -qxF -- "$version" <<<"$wide" || fail "the version resource does not carry $version"

[ "$status" -eq 0 ] && echo "check_exe: $exe is a 32-bit Windows console program with the expected imports, manifest and version"
exit "$status"
