#!/usr/bin/env bash
# Kills `stowr-cli add` with SIGKILL at random moments while it rewrites a large executable, and
# checks after every kill that the executable is byte for byte its old or its new self and that
# nothing else is left in its folder, hidden files included. Not part of the tests: it needs about
# four times the file's size of free disk and a few minutes.
# Usage: scripts/kill-write.sh [folder] [kills] [GiB]   (defaults: /var/tmp, 20, 2)
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:-/var/tmp}
kills=${2:-20}
gib=${3:-2}
need=$(((4 * gib + 1) << 20))  # KiB
free=$(df -Pk "$base" | awk 'NR == 2 { print $4 }')
if [ "$free" -lt "$need" ]; then
  echo "kill-write: $base has $((free >> 20)) GiB free, $((need >> 20)) GiB are needed" >&2
  exit 2
fi
cmake --preset native >/dev/null
cmake --build --preset native --target stowr-cli -j2 >/dev/null
cli=$PWD/build/native/cli/stowr-cli

top=$(mktemp -d "$base/stowr-kill-XXXXXX")
trap 'rm -rf "$top"' EXIT
mkdir "$top/work" "$top/ref"
cd "$top/work"
head -c $((gib << 30)) /dev/urandom >app.exe
head -c $((4 << 20)) /dev/urandom >data.bin
size=$(stat -c %s app.exe)
cp app.exe ../ref/old.exe

# One add that is let finish gives the new file and how long an add takes.
start=$(date +%s%N)
"$cli" add app.exe NEW data.bin
duration=$((($(date +%s%N) - start) / 1000000))
cp app.exe ../ref/new.exe
truncate -s "$size" app.exe  # the new file is the old one with the chunk behind it
echo "an add of 4 MiB to a $gib GiB file takes $duration ms; killing it $kills times at random moments"

broken=0
for i in $(seq 1 "$kills"); do
  delay=$((RANDOM * duration / 32767))
  "$cli" add app.exe NEW data.bin &
  pid=$!
  sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if cmp -s app.exe ../ref/old.exe; then state=old
  elif cmp -s app.exe ../ref/new.exe; then state=new
  else state=BROKEN; broken=1
  fi
  left=$(ls -A | grep -v -x -e app.exe -e data.bin || true)
  [ -n "$left" ] && broken=1
  echo "kill $i after $delay ms: $state${left:+; left behind: $left}"
  [ "$state" = new ] && truncate -s "$size" app.exe
done
[ "$broken" = 0 ] && echo "kill-write: every kill left the old or the new file and nothing else"
exit "$broken"
