#!/usr/bin/env bash
# Saves a PNG of the program's window as the test prefix's display shows it:
#   screenshot.sh WIN64_BUILD_DIR OUT.png
# The program must be running in that build tree's Wine prefix.
set -euo pipefail
build=$(cd "$1" && pwd) out=$2
state=$("$build/wine-run.sh" "$build/tools/ui_driver/ui_driver.exe" state 2>/dev/null)
read -r left top width height < <(printf '%s\n' "$state" | sed -n 's/^window: //p')
[ -n "${height:-}" ] || { echo "screenshot.sh: no window" >&2; exit 1; }
display=${DISPLAY:-$(cat "$build/wine.display")}
tmp=$(mktemp --suffix=.png)
DISPLAY=$display import -window root "$tmp"
convert "$tmp" -crop "${width}x${height}+${left}+${top}" +repage -strip "PNG8:$out"
rm -f "$tmp"
