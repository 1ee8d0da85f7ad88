#!/usr/bin/env bash
# Installs what is missing, builds both programs and runs every test: the
# native suite, the Windows suite under Wine, the native suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded fuzz run of
# the command-line reader.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
jobs=$(nproc)

export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-blkcopy}"
# No Mono or Gecko: nothing here needs them, and a fresh prefix would ask for them.
export WINEDLLOVERRIDES="mscoree=;mshtml="
# Keep one wineserver for the whole run (later Wine starts then take tens of
# milliseconds), and start Wine's own services now, with the prefix: started
# from inside ctest they would inherit its output pipe and keep the test from
# ever finishing. An already running server (another run on the same prefix)
# is reused and left running; one this run started is stopped at its end.
mkdir -p "$WINEPREFIX"
if wineserver -p >/dev/null 2>&1 </dev/null; then
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
fi
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 </dev/null || true
wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true

status=0
run() {
  echo "== $*"
  "$@" || status=1
}
run ctest --test-dir build --output-on-failure -j "$jobs"
run ctest --test-dir build-win32 --output-on-failure
# The .deb and the Windows zip, and what each of them holds.
run bash scripts/package.sh
# The Windows program must load on Windows 95 and NT 4.0: no newer import.
run bash scripts/check_imports.sh build-win32/blkcopy.exe

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBLKCOPY_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
run ctest --test-dir build-asan --output-on-failure -j "$jobs"

run bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

if [ "$status" -eq 0 ]; then echo "all test suites passed"; else echo "some test suites FAILED"; fi
exit "$status"
