#!/usr/bin/env bash
# Installs what is missing, builds both programs and runs every test: the
# native suite, and the Windows suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh

export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-blkcopy}"
# One persistent wineserver for the whole run: later Wine starts then take
# tens of milliseconds instead of seconds.
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1 || true
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

status=0
ctest --test-dir build --output-on-failure -j "$(nproc)" || status=1
ctest --test-dir build-win32 --output-on-failure || status=1
exit "$status"
