#!/usr/bin/env bash
# Builds the benchmark with the native preset and runs it, then the Main window's timed cases
# under Wine. Usage: scripts/bench.sh [folder]
# The folder needs about 6 GiB free; by default /var/tmp is used.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native --target stowr-bench -j2
build/native/bench/stowr-bench "$@"

# The Main window under Wine: the end-to-end driver's timed cases.
bash scripts/e2e.sh bench_
