#!/usr/bin/env bash
# Every include points down: platform < store < tools, viewer < app, with cli beside app and the
# reader standing alone. Fails, naming the lines, when a folder includes a header of a folder at
# its own level or above (tools and viewer do not see each other, nor app and cli), and when a
# folder above platform/ includes a header of the operating system's own API.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A level=([platform]=0 [store]=1 [tools]=2 [viewer]=2 [app]=3 [cli]=3)
bad=0
while IFS=: read -r file line text; do
  from=${file%%/*}
  to=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$text")
  [ "$to" = "$from" ] && continue
  if [ "$from" = reader ]; then
    [ -n "${level[$to]+x}" ] || continue
  else
    [ -n "${level[$to]+x}" ] || continue
    [ "${level[$to]}" -lt "${level[$from]}" ] && continue
  fi
  echo "layers: $file:$line includes a header of $to/, which is not below $from/" >&2
  bad=1
done < <(git grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' -- platform store tools viewer app cli reader)
while IFS=: read -r file line text; do
  echo "layers: $file:$line includes an operating system header; only platform/ may" >&2
  bad=1
done < <(git grep -niE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(windows|windowsx|winbase|commctrl|commdlg|shlobj|shellapi|gdiplus|unistd|fcntl)\.h>|<sys/' -- store tools viewer app)
exit "$bad"
