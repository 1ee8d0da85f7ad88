#!/usr/bin/env bash
# Installs what is missing, builds the native program and runs it. With no
# arguments it copies a generated sample file, so the progress box can be seen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --native-only
bash scripts/build.sh --native-only
if [ "$#" -gt 0 ]; then exec build/blkcopy "$@"; fi
demo=$(mktemp -d /var/tmp/blkcopy-demo.XXXXXX)
trap 'rm -rf "$demo"' EXIT
echo "Writing a 512 MiB sample of random data to $demo ..."
head -c $((512 * 1024 * 1024)) /dev/urandom >"$demo/sample.img"
# Ctrl+C stops the copy in order; the sample is removed either way.
build/blkcopy "$demo/sample.img" "$demo/copy of sample.img" 64K || true
