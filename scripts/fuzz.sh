#!/usr/bin/env bash
# Builds the libFuzzer target for the Tailpack walk (preset "fuzz", clang) and runs it for a
# fixed number of inputs. Any crash, sanitizer report or failed check fails the script.
# Usage: scripts/fuzz.sh [runs]   (default 100000)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-100000}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target stowr_fuzz_scan -j"$(nproc)"
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
# Seeds: a small executable with one, two and damaged chunks.
printf 'MZhello00000005TXT{TlPk}' >"$corpus/one"
printf 'MZa00000001ONEb00000001 AB{TlPk}' >"$corpus/bad"
printf 'MZa00000001ONE{TlPk}bb00000002TWO{TlPk}' >"$corpus/two"
printf 'ab0000FFFFBAD{TlPk}' >"$corpus/damaged"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  build/fuzz/fuzz/stowr_fuzz_scan -runs="$runs" -max_len=4096 -seed=1 "$corpus"
