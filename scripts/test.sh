#!/usr/bin/env bash
# Installs what is missing, builds both programs and runs every test: the
# native suite, the Windows suites under Wine, the packages, the static checks
# of the shipped Windows program, the native suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded fuzz run of
# the command-line reader.
#
# The Windows suites run against the shipped 32-bit exe where this machine
# can start 32-bit programs, and against a 64-bit build of the same sources
# under 64-bit Wine where it can't (a kernel with 32-bit emulation off); where
# both work, against both. The shipped exe is checked without running it
# either way (scripts/check_exe.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)

# Decided once, by trying: the 32-bit Wine loader is a 32-bit program.
wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
# (bash, not timeout, starts it: it names an Exec format error as such.)
if out=$(timeout -k 5 60 bash -c '"$0" --version' "$wine32" 2>&1 </dev/null); then
  can32=true
  echo "== this machine runs 32-bit programs ($wine32: $out)"
else
  can32=false
  echo "== this machine can't run 32-bit programs ($wine32: ${out:-no answer}):" \
    "the Windows suites run against the 64-bit test build under $wine64"
fi
if $can32 && [ ! -x "$wine64" ]; then bash scripts/build.sh; else bash scripts/build.sh --with-win64; fi

export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and a fresh prefix would ask for them.
export WINEDLLOVERRIDES="mscoree=;mshtml="
status=0
run() {
  echo "== $*"
  "$@" || status=1
}

# One Windows tree's suites, with a Wine prefix of its own word size. Keep one
# wineserver for the tree's whole run (later Wine starts then take tens of
# milliseconds), and start Wine's own services now, with the prefix: started
# from inside ctest they would inherit its output pipe and keep the test from
# ever finishing. An already running server (another run on the same prefix)
# is reused and left running; one this run started is stopped at the end.
# A suite that did not run (skipped, or not run at all) fails: a Windows suite
# is never skipped quietly.
windows_suites() {  # TREE WINE PREFIX WHAT
  local tree=$1 wine=$2 what=$4 server log
  export WINEPREFIX=$3
  server=$(dirname "$wine")/wineserver
  echo "== Windows suites against $tree/blkcopy.exe ($what) under $wine, prefix $WINEPREFIX"
  if [ ! -x "$wine" ]; then
    echo "  FAIL no $wine: the Windows suites can't run against $tree" >&2
    status=1
    return
  fi
  mkdir -p "$WINEPREFIX"
  local started=false
  if "$server" -p >/dev/null 2>&1 </dev/null; then started=true; fi
  [ -f "$WINEPREFIX/system.reg" ] || timeout -k 10 600 "$wine" wineboot -i >/dev/null 2>&1 </dev/null || true
  timeout -k 10 120 "$wine" cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
  log=$(mktemp)
  ctest --test-dir "$tree" --output-on-failure 2>&1 | tee "$log" || true
  if ! grep -q "^100% tests passed, 0 tests failed" "$log" || grep -qE "\*\*\*Skipped|Not Run" "$log"; then
    echo "  FAIL some Windows suites against $tree failed or did not run" >&2
    status=1
  fi
  rm -f "$log"
  if $started; then "$server" -k >/dev/null 2>&1 || true; fi
}

run ctest --test-dir build --output-on-failure -j "$jobs"
prefix=${WINEPREFIX:-$HOME/.wine-blkcopy}
if $can32; then windows_suites build-win32 "$(command -v wine)" "$prefix" "the shipped 32-bit program"; fi
if ! $can32 || [ -x "$wine64" ]; then
  windows_suites build-win64 "$wine64" "${prefix}64" "the 64-bit test build of the same sources"
fi
unset WINEPREFIX
# The .deb and the Windows zip, and what each of them holds.
run bash scripts/package.sh
# The shipped Windows program, checked where it is not run: its kind, its
# imports (Windows 95 and NT 4.0), its DLLs, manifest and version resource.
run bash scripts/check_exe.sh build-win32/blkcopy.exe

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBLKCOPY_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
run ctest --test-dir build-asan --output-on-failure -j "$jobs"

run bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

if $can32; then ran="the shipped 32-bit program"; else ran="the 64-bit test build (this machine can't run 32-bit programs)"; fi
echo "Windows suites ran against: $ran$($can32 && [ -x "$wine64" ] && echo ", and the 64-bit test build")"
if [ "$status" -eq 0 ]; then echo "all test suites passed"; else echo "some test suites FAILED"; fi
exit "$status"
