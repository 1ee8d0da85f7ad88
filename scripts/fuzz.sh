#!/usr/bin/env bash
# Builds the command-line fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs it for a bounded time,
# starting from the committed corpus in fuzz/corpus/. Fails on any crash,
# sanitizer report or broken check; the input that did it is left in
# build-fuzz/ as crash-* (replay: build-fuzz/cmdline_fuzz build-fuzz/crash-...).
# Usage: scripts/fuzz.sh [seconds]    (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
case "$seconds" in '' | *[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2 ;; esac

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
need=()
for pkg in cmake ninja-build clang libclang-rt-dev; do have "$pkg" || need+=("$pkg"); done
if [ "${#need[@]}" -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j 2 --target cmdline_fuzz

# New inputs go to build-fuzz/corpus; the committed corpus is only read.
mkdir -p build-fuzz/corpus
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec build-fuzz/cmdline_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -artifact_prefix=build-fuzz/ build-fuzz/corpus fuzz/corpus
