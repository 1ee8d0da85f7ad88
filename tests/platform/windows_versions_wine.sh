#!/usr/bin/env bash
# The Windows program under Wine set to each Windows family it serves
# (win98, nt40, winxp, win10), each in a private copy of the test prefix:
# a fresh copy and a /R copy end byte-identical, and a +relay trace of the
# fresh copy shows the program taking that family's branch. Under win10 it
# also copies a Greek and a CJK name (the manifest's UTF-8 ANSI code page)
# and a file whose full path is past 260 characters.
#
# Usage: tests/platform/windows_versions_wine.sh WINE BLKCOPY_EXE
set -uo pipefail
. "$(dirname "$0")/../support/wine_script_args.sh" "$@"
base=${WINEPREFIX:-$HOME/.wine-blkcopy}
[ -f "$base/system.reg" ] || { echo "no Wine prefix at $base" >&2; exit 2; }
export WINEDLLOVERRIDES="mscoree=;mshtml="
export LC_ALL=C.UTF-8  # Wine takes Unix file names and arguments as UTF-8
server=$(dirname "$(command -v "$wine")")/wineserver

work=$(mktemp -d "${BLKCOPY_TEST_DIR:-/var/tmp}/blkcopy-wine-versions.XXXXXX") || exit 1
prefixes=()
cleanup() {
  for prefix in "${prefixes[@]}"; do
    WINEPREFIX=$prefix timeout -k 5 30 "$server" -k >/dev/null 2>&1
  done
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1
failures=0
fail() {
  echo "FAILED ($version): $*" >&2
  failures=$((failures + 1))
}

# A private prefix, so that the Windows version set here changes nothing
# else (a whole copy: Wine may rewrite any of its files).
clone_prefix() {
  cp -a "$base" "$1" && rm -f "$1/wineserver"
}

run() { timeout -k 10 300 "$wine" "$exe" "$@" </dev/null; }

# The program's image, as the return addresses of a +relay trace show it:
# Wine prints them without leading zeros, and the image (under 1 MiB) sits at
# its preferred base, 0x400000 for the 32-bit program, 0x140000000 for the
# 64-bit test build.
image_base=$(objdump -p "$exe" | awk '$1 == "ImageBase" { print $2 }')
image_size=$(objdump -p "$exe" | awk '$1 == "SizeOfImage" { print $2 }')
[ -n "$image_base" ] && [ $((16#$image_size)) -le $((16#100000)) ] ||
  { echo "cannot read the image base of $exe, or it is over 1 MiB" >&2; exit 2; }
image_ret="ret=0*$(printf '%x' $((16#$image_base >> 20)))[0-9a-f]\{5\}$"

# Calls that the program itself made: on its main thread (the one that
# registers its Ctrl+C handler; Wine may start explorer.exe, whose image sits
# at the same address), returning into its image.
calls() {
  local thread
  thread=$(grep -m 1 "Call KERNEL32.SetConsoleCtrlHandler(.*$image_ret" relay | cut -d: -f1)
  grep -c "^$thread:Call $1(.*$image_ret" relay
}

expect_calls() {
  local name=$1 test=$2 count
  count=$(calls "$name")
  seen+=" ${name#*.}=$count"
  [ "$count" "$test" "$3" ] || fail "the program called $name $count times (expected $test $3)"
}

copy_pair() {
  local source=$1 dest=$2 code
  run "$source" "$dest" >output 2>&1
  code=$?
  [ "$code" -eq 0 ] || fail "copy of $source ended with $code: $(head -c 400 output)"
  cmp -s "$source" "$dest" || fail "$dest differs from $source"
}

size=$((3 * 1024 * 1024 + 4321))
head -c "$size" /dev/urandom >source
for version in win98 nt40 winxp win10; do
  export WINEPREFIX=$work/prefix-$version
  clone_prefix "$WINEPREFIX" || { fail "could not copy $base"; continue; }
  prefixes+=("$WINEPREFIX")
  WINEDEBUG=-all timeout -k 5 30 "$server" -p </dev/null >/dev/null 2>&1
  WINEDEBUG=-all timeout -k 10 120 "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f \
    </dev/null >/dev/null 2>&1 || fail "could not set the Windows version"

  # Fresh copy, traced; then /R from the middle of a block.
  rm -f dest
  WINEDEBUG=+relay timeout -k 10 300 "$wine" "$exe" source dest 64K </dev/null >output 2>relay
  code=$?
  [ "$code" -eq 0 ] || fail "fresh copy ended with $code: $(head -c 400 output)"
  cmp -s source dest || fail "fresh copy differs"
  truncate -s $((size / 2 + 777)) dest
  run source dest 64K /R >output 2>&1 || fail "/R ended with $?: $(head -c 400 output)"
  cmp -s source dest || fail "/R copy differs"

  seen=""
  case $version in
    win98)  # the process list, walked twice; no console-window call; ANSI command line
      expect_calls KERNEL32.Process32First -eq 2
      expect_calls ntdll.NtQueryInformationProcess -eq 0
      expect_calls KERNEL32.GetConsoleWindow -eq 0
      expect_calls KERNEL32.GetCommandLineA -ge 1
      expect_calls KERNEL32.GetCommandLineW -eq 0 ;;
    nt40)  # the native query names the parent; no process list, no console-window call
      expect_calls ntdll.NtQueryInformationProcess -ge 1
      expect_calls KERNEL32.CreateToolhelp32Snapshot -eq 0
      expect_calls KERNEL32.GetConsoleWindow -eq 0
      expect_calls KERNEL32.GetCommandLineW -ge 1 ;;
    winxp | win10)  # the process list, walked once; GetConsoleWindow
      expect_calls KERNEL32.Process32First -eq 1
      expect_calls ntdll.NtQueryInformationProcess -eq 0
      expect_calls KERNEL32.GetConsoleWindow -ge 1
      expect_calls KERNEL32.GetCommandLineW -ge 1 ;;
  esac

  if [ "$version" = win10 ]; then
    # Names the old ANSI code pages can't hold, exact through UTF-8.
    head -c 100000 /dev/urandom >"Ωμέγα.bin"
    copy_pair "Ωμέγα.bin" "αντίγραφο Ωμέγα.bin"
    head -c 100000 /dev/urandom >"数据.bin"
    copy_pair "数据.bin" "副本 数据.bin"
    # A full path past 260 characters (Wine's CreateFileA takes at most 260
    # characters as given, so the path is relative to a deep folder).
    long=$(printf 'd%.0s' {1..70})
    deep="L1$long/L2$long/L3$long/L4$long"
    mkdir -p "$deep"
    head -c 100000 /dev/urandom >"$deep/source.bin"
    (cd "L1$long/L2$long" && copy_pair "L3$long/L4$long/source.bin" "L3$long/L4$long/dest.bin")
    [ -f "$deep/dest.bin" ] && cmp -s "$deep/source.bin" "$deep/dest.bin" ||
      fail "the long path did not copy"
  fi
  timeout -k 5 30 "$server" -k >/dev/null 2>&1
  echo "$version: fresh and /R copies compared;$seen"
done

if [ "$failures" -gt 0 ]; then exit 1; fi
echo "all Windows versions passed"
