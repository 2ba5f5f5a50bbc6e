#!/usr/bin/env bash
# Prepares the Wine prefix $WINEPREFIX for stowr's programs (run with the display, if any, set):
# - makes it when missing;
# - puts every window into Wine's own desktop window, which gives the focus to the active window
#   as a window manager would (typed keys in the tests rely on that) and draws the captions;
# - gives it Wine's own fonts (Debian's fonts-wine): Marlett draws the caption buttons, Tahoma
#   the dialogs. Debian's Wine 8 looks for its fonts folder under a path it cannot open, so the
#   prefix gets copies in C:\windows\Fonts, where Wine does look. The first program after new
#   fonts rebuilds Wine's font cache, which takes seconds; a prefix update does that here.
# - maps "Courier New", which Wine lacks, to Liberation Mono (Debian's fonts-liberation2, a
#   monospace font of the same widths), so the Viewer's hex columns line up.
# Each step is skipped when done already.
set -euo pipefail
: "${WINEPREFIX:?}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the Wine prefix $WINEPREFIX" >&2
  wine wineboot -i >/dev/null 2>&1
  wineserver -w
fi
if ! grep -q 'Explorer\\\\Desktops\]' "$WINEPREFIX/user.reg"; then
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  wineserver -w
fi
fonts=/usr/share/wine/fonts
target=$WINEPREFIX/drive_c/windows/Fonts
if [ -d "$fonts" ] && [ -d "$target" ] && [ ! -f "$target/marlett.ttf" ]; then
  cp "$fonts"/*.ttf "$target/"
  wine wineboot -u >/dev/null 2>&1 || true
  wineserver -w
fi
mono=/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf
if [ -f "$mono" ] && [ -d "$target" ] && [ ! -f "$target/LiberationMono-Regular.ttf" ]; then
  cp "$mono" "$target/"
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono' /f >/dev/null 2>&1
  wine wineboot -u >/dev/null 2>&1 || true
  wineserver -w
fi
