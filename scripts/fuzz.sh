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
# Seeds: a small executable with one, two and damaged chunks (taken as they are: their first byte
# modulo 4 is 0 or 1); then, behind a shape byte of 2, an input whose first 8 bytes become the
# security directory of a PE header; and behind a shape byte of 3, signed programs with a chunk
# inside the certificate table, and with one in front of it too.
printf 'MZhello00000005TXT{TlPk}' >"$corpus/one"
printf 'MZa00000001ONEb00000001 AB{TlPk}' >"$corpus/bad"
printf 'MZa00000001ONE{TlPk}bb00000002TWO{TlPk}' >"$corpus/two"
printf 'ab0000FFFFBAD{TlPk}' >"$corpus/damaged"
printf '\x02\x18\x02\x00\x00\x10\x00\x00\x00a00000001ONE{TlPk}\x00\x00\x00\x00\x00\x00\x10\x00\x00\x00\x00\x02\x02\x00xxxxxxxx' >"$corpus/signed"
printf '\x03\x00\x36\x00c00000001THR{TlPk}' >"$corpus/inside"
printf '\x03\x00\x36\x02xxxxxxxxxxxxxab00000002TWO{TlPk}c00000001THR{TlPk}' >"$corpus/front"
# Signature blobs with a signer whose DER lengths take 1, 2 and 3 bytes: without unauthenticated
# attributes and a chunk behind the blob, with another attribute, with the chunk attribute.
printf '\x03\x08\x28\x00a00000001ONE{TlPk}' >"$corpus/signer"
printf '\x03\x09\x55\x00a00000001ONEbb00000002TWO{TlPk}' >"$corpus/attribute"
printf '\x03\x0a\x2a\x00c00000001THR{TlPk}' >"$corpus/chunk-attribute"
printf '\x03\x0a\xf0\x00c00000001THR{TlPk}' >"$corpus/large-signer"
# Damaged chunks inside a certificate table: in a chunk attribute, one whose length field the
# padding in front of it cuts, one behind a whole chunk that its length field overlaps, one behind
# another attribute; and behind a blob, one whose length field ends with a marker and one behind
# bytes that end with one. Edits change the padding in front of them.
printf '\x13\n\x03\x00{TlPk}THR{TlPk}' >"$corpus/damaged-at-padding"
printf '\x03\x0a*\x00\x63\xb9\x00\x30\x30\x30\x30\x30\x30\x30\x31\x35THR{TlPl{Tlab0000AD{TPlPk}k}BAD{TlPk}ab0000AD{TlPk}BAD{TlPk}' >"$corpus/damaged-overlap"
printf '\x03\x0a\x00\x01\x00\x00\x00\x30\x30\x30\x30\x30M1xxxxxxaPk}b{xxa]{TlPk}THR{TlPk}' >"$corpus/damaged-behind-attribute"
printf '\x03\x30&\x00\x44{TlPk}&\x00\x44{TlPk}' >"$corpus/damaged-behind-blob"
printf '\x03\x00\x36\x02xxzx\x10\x00\x00\x00xxxab\x00\x00\x00\x00\x00\x00\x00\x36\x30\x02\x00\x00\x00\x00\x00~\x00\x00WO{TlPk}c0000\xe5\x30\x31T\xb3\xad{TlPk}' >"$corpus/damaged-behind-marker"
# Freed memory sits in AddressSanitizer's quarantine, 256 MB of it by default: that, not the
# target, is what a long run holds. A smaller one and shorter allocation stacks keep a run near
# 90 MB and make it faster; use-after-free is still caught for the last 32 MB freed.
ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=32:malloc_context_size=8 UBSAN_OPTIONS=print_stacktrace=1 \
  build/fuzz/fuzz/stowr_fuzz_scan -runs="$runs" -max_len=4096 -seed=1 "$corpus"
