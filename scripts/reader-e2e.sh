#!/usr/bin/env bash
# End-to-end check of the Tailpack reader: copies of tailpack-example (C++) and tailpack-example-c
# (C), native and the Windows builds under Wine, get a "TXT" chunk added with the native stowr-cli
# and must print its text; a copy without chunks must say that it has none.
# Build trees: build/native and build/mingw, or NATIVE_BUILD / MINGW_BUILD; the targets needed are
# built when missing or stale.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${NATIVE_BUILD:-$root/build/native}
mingw=${MINGW_BUILD:-$root/build/mingw}
jobs=${JOBS:-2}

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "  ok: $1"; }
fail() { failed=$((failed + 1)); echo "  FAILED: $1"; }
die() { echo "reader-e2e: $*" >&2; echo "reader-e2e: $passed passed, $((failed + 1)) failed"; exit 1; }

# Configures a tree with a preset when it has none yet, then builds the given targets.
build() {
  local tree=$1 preset=$2
  shift 2
  if [ ! -f "$tree/build.ninja" ]; then
    cmake --preset "$preset" -S "$root" -B "$tree" >/dev/null || return 1
  fi
  cmake --build "$tree" -j"$jobs" --target "$@" >/dev/null
}

build "$native" native tailpack-example tailpack-example-c stowr-cli || die "native build failed"
build "$mingw" mingw tailpack-example tailpack-example-c || die "Windows build failed"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cli=$native/cli/stowr-cli
message="Hello from the tail of $$: chunks survive the trip."
printf '%s\n' "$message" >"$work/message.txt"
printf '\0\1\2binary' >"$work/other.bin"

export WINEPREFIX=${WINEPREFIX:-$mingw/wineprefix} WINEDEBUG=-all
wine=$(command -v wine || echo /usr/lib/wine/wine64)
if [ ! -d "$WINEPREFIX" ]; then
  echo "reader-e2e: creating the Wine prefix $WINEPREFIX"
  timeout 300 "$wine" wineboot -i >/dev/null 2>&1 || die "wineboot failed"
fi

# run NAME EXE: the program's standard output, carriage returns removed.
run() {
  case "$2" in
    *.exe) (cd "$work" && timeout 120 "$wine" "$2") 2>"$work/$1.err" | tr -d '\r' ;;
    *) timeout 60 "$2" 2>"$work/$1.err" ;;
  esac
}

# check NAME EXPECTED ACTUAL
check() {
  if [ "$3" = "$2" ]; then pass "$1"; else fail "$1: expected [$2], got [$3] $(cat "$work/$1.err" 2>/dev/null)"; fi
}

for program in tailpack-example tailpack-example-c; do
  echo "reader-e2e: $program with and without a TXT chunk"
  for platform in native windows; do
    if [ $platform = native ]; then src=$native/reader/$program ext=""; else src=$mingw/reader/$program.exe ext=.exe; fi
    [ -f "$src" ] || die "missing $src"
    platform=$platform-$program

    # A TXT chunk followed by another chunk: the reader must find it behind the newer one.
    exe=$work/with-text-$platform$ext
    cp "$src" "$exe"
    if "$cli" add "$exe" TXT "$work/message.txt" >/dev/null && "$cli" add "$exe" BIN "$work/other.bin" >/dev/null; then
      check "$platform, TXT chunk" "$message" "$(run "$platform-text" "$exe")"
    else
      fail "$platform, TXT chunk: stowr-cli add failed"
    fi

    exe=$work/plain-$platform$ext
    cp "$src" "$exe"
    out=$(run "$platform-plain" "$exe")
    case "$program:$out" in
      "tailpack-example:no TXT chunk in "*plain-$platform$ext | "tailpack-example-c:no TXT chunk") pass "$platform, no chunk" ;;
      *) fail "$platform, no chunk: got [$out] $(cat "$work/$platform-plain.err")" ;;
    esac
  done
done

echo "reader-e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
