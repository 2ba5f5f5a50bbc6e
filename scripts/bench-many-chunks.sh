#!/usr/bin/env bash
# Peak memory of every stowr-cli command on a file of 10,000,000 empty chunks, each run under a
# 200 MB address-space limit (ulimit -v); the target is under 64 MiB each. extract-all would write
# ten million files: it runs for 20 seconds and its peak until then is what counts.
# Usage: scripts/bench-many-chunks.sh STOWR_CLI [FOLDER]
set -euo pipefail
cli=$(realpath "$1")
work=$(mktemp -d "${2:-/var/tmp}/stowr-many-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
python3 - <<'PY'
block = b"".join(b"00000000E%02d{TlPk}" % (i % 100) for i in range(100))
with open("app.exe", "wb") as f:
    f.write(b"MZ" + b"x" * 4094)
    for _ in range(100000):
        f.write(block)
PY
printf 'hello' > small.txt
limit_kib=204800 target_kib=65536 missed=0
echo
echo "stowr-cli on 10,000,000 empty chunks ($(stat -c %s app.exe) bytes), 200 MB address space each"
run() {  # run SECONDS COMMAND...: prints the command's peak resident size
  local seconds=$1; shift
  local status=0
  (ulimit -v $limit_kib; /usr/bin/time -f %M -o peak.txt timeout -s INT "$seconds" "$cli" "$@" >/dev/null 2>err.txt) || status=$?
  local kib; kib=$(tail -n 1 peak.txt)
  local verdict="met   "
  if [ "$status" -ne 0 ] && [ "$status" -ne 124 ]; then verdict="FAILED"; missed=1; cat err.txt; fi
  if [ "$kib" -ge $target_kib ]; then verdict="MISSED"; missed=1; fi
  printf '%s  %-32s %7.1f MiB peak%s\n' "$verdict" "$*" "$(awk "BEGIN { print $kib / 1024 }")" \
    "$([ "$status" -eq 124 ] && echo " (stopped after ${seconds} s)")"
}
run 600 list app.exe
run 600 cat app.exe 1
run 600 extract app.exe 5000000 out.bin
run 600 add app.exe NEW small.txt
run 600 set app.exe E05 small.txt
run 600 remove app.exe 1
run 20 extract-all app.exe
echo "       (extract-all wrote $(ls | grep -c tpak) files in that time)"
run 600 strip app.exe
exit $missed
