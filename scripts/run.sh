#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine: on PATH when given, otherwise on a demo
# executable carrying three chunks (a text, a small PNG picture, a binary).
# Usage: bash scripts/run.sh [PATH]
# Without a display (DISPLAY unset) it starts its own Xvfb and saves a screenshot to
# build/mingw/screenshot.png; the program runs until its window is closed or Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$root/build/mingw

bash scripts/deps.sh windows
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j"$(nproc)"

export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfbPid=""
stop() { [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null || true; }
trap stop EXIT

if [ -z "${DISPLAY:-}" ]; then
  n=99
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfbPid=$!
  export DISPLAY=":$n"
  wineserver -k 2>/dev/null || true  # a lingering one would keep its old display
  sleep 1
fi
bash scripts/wine-prefix.sh

# The demo: a copy of stowr-cli.exe with three chunks appended by stowr-cli itself.
makeDemo() {
  local demo=$out/demo
  rm -rf "$demo" && mkdir -p "$demo"
  cp "$out/cli/stowr-cli.exe" "$demo/demo.exe"
  printf 'Hello from a Tailpack!\r\nThis text travels behind the last byte of demo.exe.\r\n' >"$demo/hello.txt"
  python3 - "$demo/picture.png" <<'EOF'
import struct, sys, zlib
w, h = 48, 32
rows = b"".join(b"\0" + bytes(c for x in range(w) for c in (x * 5, y * 8, 160)) for y in range(h))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")
open(sys.argv[1], "wb").write(png)
EOF
  { printf '\0'; head -c 599 /dev/urandom; } >"$demo/random.bin"  # a zero byte: always Binary
  (cd "$demo" && for item in "TXT hello.txt" "PNG picture.png" "BIN random.bin"; do
    # shellcheck disable=SC2086
    wine "$out/cli/stowr-cli.exe" add demo.exe $item >/dev/null
  done)
  echo "$demo/demo.exe"
}

target=${1:-$(makeDemo)}
target=$(realpath "$target")
winTarget=$(winepath -w "$target")
echo "Running stowr on $winTarget"
wine "$out/app/stowr.exe" "$winTarget" &
app=$!
if [ -n "$xvfbPid" ]; then
  sleep 4
  import -display "$DISPLAY" -window root "$out/screenshot.png" && echo "Screenshot: $out/screenshot.png"
  echo "stowr runs on the virtual display $DISPLAY (no screen): close it with Ctrl+C."
fi
wait "$app" || true
