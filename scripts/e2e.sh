#!/usr/bin/env bash
# Builds the Windows programs and runs the end-to-end cases of stowr.exe under Wine, on a virtual
# X display of its own when none is set: first stowr-ui-check.exe (the user interface layer on its
# own), then the driver. Arguments go to the driver: name parts select cases, "--repeat N" runs
# them N times, and either skips the interface check. Prints "e2e: P passed, F failed" and fails
# when the check or any case fails.
#   E2E_BUILD_DIR  build folder (default build/mingw, the mingw preset's)
#   E2E_SKIP_BUILD=1  use the programs already built there
#   E2E_PROGRAM    the stowr.exe to test (default: the one in the build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${E2E_BUILD_DIR:-$root/build/mingw}

if [ "${E2E_SKIP_BUILD:-0}" != 1 ]; then
  if [ "$build" = "$root/build/mingw" ]; then
    cmake --preset mingw >/dev/null
    cmake --build --preset mingw -j2
  else
    cmake --preset mingw -B "$build" >/dev/null
    cmake --build "$build" -j2
  fi
fi
# The logic folders never see <windows.h>, not even through another header: the store includes the
# reader's core, which declares the few Win32 calls it makes itself.
leaks=$(ninja -C "$build" -t deps 2>/dev/null | awk '/^[^ \t]/ {obj=$1} /[\/\\]windows\.h$/ {print obj}' |
  grep -E '^(store|app|tools|viewer)/' || true)
if [ -n "$leaks" ]; then
  echo "e2e: <windows.h> reaches the logic through: $leaks" >&2
  exit 1
fi
# No folder includes a header of a folder above it.
bash "$(dirname "$0")/layers.sh"
program=${E2E_PROGRAM:-$build/app/stowr.exe}
driver=$build/e2e/stowr-e2e.exe
uiCheck=$build/e2e/stowr-ui-check.exe
for exe in "$program" "$driver" "$uiCheck"; do
  [ -f "$exe" ] || { echo "e2e: $exe was not built" >&2; exit 1; }
done

export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A wineserver still lingering from an earlier Wine program (stowr-cli.exe, say) keeps the display
# it started with, or none: windows of the cases would never reach this run's display.
wineserver -k 2>/dev/null || true
xvfbPid=
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfbPid" ]; then kill "$xvfbPid" 2>/dev/null || true; fi
}
trap cleanup EXIT

# Waits up to $2 seconds for display $1 to answer.
waitForDisplay() {
  local deadline=$((SECONDS + $2))
  until xdpyinfo -display "$1" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || return 1
    [ -z "$xvfbPid" ] || kill -0 "$xvfbPid" 2>/dev/null || return 1
    sleep 0.1
  done
}

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfbPid=$!
  export DISPLAY=":$n"
  waitForDisplay "$DISPLAY" 15 || { echo "e2e: Xvfb on $DISPLAY did not start" >&2; exit 1; }
fi

# A prefix once per build folder, shared with scripts/run.sh: Wine's own desktop, Wine's fonts.
bash scripts/wine-prefix.sh

# The modal engine and dialogs checked in a real window session, through ui.h alone.
if [ $# -eq 0 ]; then
  timeout 120 wine "$uiCheck" || { echo "e2e: stowr-ui-check.exe failed" >&2; exit 1; }
fi

# Signed programs for the signed cases (e2e/signed_cases.cpp): the reader example signed with a
# throwaway certificate, and a copy that carried a "TXT" chunk before it was signed. The case
# that adds to the first leaves its result as added.exe, whose signature is verified below.
signed=$build/e2e-signed
rm -rf "$signed" && mkdir -p "$signed"
signWith() { osslsigncode sign -certs "$signed/cert.pem" -key "$signed/key.pem" -in "$1" -out "$2" >/dev/null; }
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$signed/key.pem" -out "$signed/cert.pem" -days 2 \
  -subj "/CN=stowr e2e" >/dev/null 2>&1
signWith "$build/reader/tailpack-example.exe" "$signed/example.exe"
{ cat "$build/reader/tailpack-example.exe"; printf 'Added before signing%08XTXT{TlPk}' 20; } >"$signed/front-unsigned.exe"
signWith "$signed/front-unsigned.exe" "$signed/front.exe"
STOWR_E2E_SIGNED=$(winepath -w "$signed")
export STOWR_E2E_SIGNED

status=0
timeout 300 wine "$driver" "$(winepath -w "$program")" "$@" || status=$?
if [ $status -ne 0 ] && [ $status -ne 1 ]; then
  echo "e2e: the driver ended with status $status"
fi
# The replace case leaves its result as replaced.exe, verified the same way.
for pair in added:add replaced:replace; do
  file=$signed/${pair%%:*}.exe name=signed_${pair##*:}_verifies
  [ -f "$file" ] || continue
  if osslsigncode verify -CAfile "$signed/cert.pem" -in "$file" >/dev/null 2>&1; then
    echo "PASS $name (osslsigncode)"
  else
    echo "FAIL $name: the signature of $file does not verify"
    status=1
  fi
  # stowr-cli.exe's own verdict, its hashes from BCrypt: the digest matches, and nothing but
  # alignment zeros stands behind the blob (Windows' strict certificate padding check).
  if wine "$build/cli/stowr-cli.exe" verify "$(winepath -w "$file")" 2>&1 | grep -q "SHA-256, digest matches" &&
     wine "$build/cli/stowr-cli.exe" verify "$(winepath -w "$file")" >/dev/null 2>&1; then
    echo "PASS ${name}_strictly (stowr-cli verify)"
  else
    echo "FAIL ${name}_strictly: stowr-cli verify fails on $file"
    status=1
  fi
done
# A byte of the signed program changed: stowr-cli.exe verify tells that the digest differs.
if [ -f "$signed/example.exe" ] && [ $# -eq 0 ]; then
  cp "$signed/example.exe" "$signed/tampered.exe"
  printf 'X' | dd of="$signed/tampered.exe" bs=1 seek=1024 conv=notrunc 2>/dev/null
  verdict=0
  out=$(wine "$build/cli/stowr-cli.exe" verify "$(winepath -w "$signed/tampered.exe")" 2>&1) || verdict=$?
  if [ $verdict -eq 4 ] && grep -q "SHA-256, digest differs" <<<"$out"; then
    echo "PASS signed_tampered_differs (stowr-cli verify)"
  else
    echo "FAIL signed_tampered_differs: status $verdict, $out"
    status=1
  fi
fi
exit $status
