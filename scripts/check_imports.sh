#!/usr/bin/env bash
# Checks the Windows program's import table against scripts/windows_imports.txt:
# every function it imports must be one that Windows 95 and NT 4.0 both
# export, or the program would not even load there. Fails on any other
# import, naming it and the first Windows version that has it.
# Usage: scripts/check_imports.sh [path/to/blkcopy.exe]   (build-win32/blkcopy.exe)
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build-win32/blkcopy.exe}
list=scripts/windows_imports.txt
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
[ -f "$exe" ] || { echo "check_imports: no $exe; build the Windows program first" >&2; exit 2; }

header=$(timeout -k 5 60 "$objdump" -p "$exe")

# "dll function" for every import, the DLL in lower case without ".dll".
imports=$(awk '
  /DLL Name:/ { dll = tolower($3); sub(/\.dll$/, "", dll); next }
  dll != "" && NF == 0 { dll = "" }
  dll != "" && /^\t[0-9a-f]+\t/ { print dll, $3 }' <<<"$header")
[ -n "$imports" ] || { echo "check_imports: no import table read from $exe" >&2; exit 2; }

failures=0
while read -r dll name; do
  entry=$(awk -v d="$dll" -v n="$name" '($1 == d || $1 == "!" d) && $2 == n' "$list" | head -n 1)
  if [ -z "$entry" ]; then
    echo "$exe imports $name from $dll.dll, which $list does not list: look up the first" \
      "Windows version that exports it; bind it at run time unless Windows 95 and NT 4.0 both do" >&2
    failures=$((failures + 1))
  elif [ "${entry:0:1}" = "!" ]; then
    version=$(echo "$entry" | awk '{ $1 = ""; $2 = ""; sub(/^ +/, ""); print }')
    echo "$exe imports $name from $dll.dll, which first came with Windows $version:" \
      "bind it at run time (src/platform/win32/optional_calls.cpp)" >&2
    failures=$((failures + 1))
  fi
done <<<"$imports"

count=$(wc -l <<<"$imports")
if [ "$failures" -gt 0 ]; then
  echo "check_imports: $failures of $count imports would keep $exe from loading on Windows 95 or NT 4.0" >&2
  exit 1
fi
echo "check_imports: all $count imports of $exe are in Windows 95 and NT 4.0"
