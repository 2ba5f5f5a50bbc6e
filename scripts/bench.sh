#!/usr/bin/env bash
# Builds the benchmark with the native preset and runs it. Usage: scripts/bench.sh [folder]
# The folder needs about 5 GiB free; by default /var/tmp is used.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native --target stowr-bench -j2
exec build/native/bench/stowr-bench "$@"
