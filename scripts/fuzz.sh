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
# A signed-executable shape: its first 8 bytes become the security directory of a PE header.
printf '\x18\x02\x00\x00\x10\x00\x00\x00a00000001ONE{TlPk}\x00\x00\x00\x00\x00\x00\x10\x00\x00\x00\x00\x02\x02\x00xxxxxxxx' >"$corpus/signed"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  build/fuzz/fuzz/stowr_fuzz_scan -runs="$runs" -max_len=4096 -seed=1 "$corpus"
