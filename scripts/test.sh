#!/usr/bin/env bash
# Builds and runs every test of stowr on Debian 12 (as root): native unit and command-line tests,
# the same under AddressSanitizer and UndefinedBehaviorSanitizer, a short fuzzing run, and the
# Windows build tested end to end under Wine and Xvfb. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh all

jobs=$(nproc)
step() { printf '\n== %s\n' "$*"; }

step "includes point down, and only platform/ calls the operating system"
bash scripts/layers.sh

step "native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native -j"$jobs"

step "tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j"$jobs"

if [ -x scripts/fuzz.sh ]; then
  step "fuzzing the scan (fixed number of runs)"
  bash scripts/fuzz.sh
fi

if [ -x scripts/e2e.sh ]; then
  step "Windows build, end to end under Wine"
  bash scripts/e2e.sh
fi
if [ -x scripts/reader-matrix.sh ]; then
  step "the Tailpack reader compiled as C and C++ of every standard, and for Windows"
  bash scripts/reader-matrix.sh
fi
if [ -x scripts/reader-e2e.sh ]; then
  step "the Tailpack reader example, natively and under Wine"
  bash scripts/reader-e2e.sh
fi
if [ -x scripts/consumer-test.sh ]; then
  step "a project using stowr: installed and as a subdirectory, natively and under Wine"
  bash scripts/consumer-test.sh
fi
if [ -x scripts/package-test.sh ]; then
  step "the release zip: its contents, and its programs started under Wine"
  bash scripts/package-test.sh
fi
echo
echo "All stowr tests passed."
