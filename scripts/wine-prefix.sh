#!/usr/bin/env bash
# Sets up (or tears down) the Wine prefix of one build tree, and the X server
# that its windows need:
#   wine-prefix.sh up   PREFIX PORTS_DIR
#   wine-prefix.sh down PREFIX
# "up" is idempotent. Serial ports COM4..COM64 of the prefix are links to
# PORTS_DIR/comN; the simulated handset points such a path at its pty when the
# handset is plugged in and removes it when it is pulled out. Wine only honours
# dosdevices links that exist when its server starts, hence the fixed set.
set -euo pipefail
cmd=$1 prefix=$2
export WINEPREFIX=$prefix
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh" 2>/dev/null
wineserver=/usr/lib/wine/wineserver64
wine=/usr/lib/wine/wine64

stop_x() {
  if [ -f "$prefix.xvfb.pid" ]; then
    kill "$(cat "$prefix.xvfb.pid")" 2>/dev/null || true
    rm -f "$prefix.xvfb.pid" "$prefix.display"
  fi
}

if [ "$cmd" = down ]; then
  "$wineserver" -k </dev/null >/dev/null 2>&1 || true
  stop_x
  exit 0
fi

ports=$3
mkdir -p "$ports"

# An X server of our own when there is no display.
if [ -z "${DISPLAY:-}" ]; then
  if ! { [ -f "$prefix.xvfb.pid" ] && kill -0 "$(cat "$prefix.xvfb.pid")" 2>/dev/null; }; then
    for n in $(seq 91 140); do
      [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
      setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      echo $! > "$prefix.xvfb.pid"
      echo ":$n" > "$prefix.display"
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    done
  fi
  DISPLAY=$(cat "$prefix.display"); export DISPLAY
fi

if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  "$wine" wineboot -i </dev/null >/dev/null 2>&1 || true
fi
"$wineserver" -k </dev/null >/dev/null 2>&1 || true
"$wineserver" -w </dev/null >/dev/null 2>&1 || true

# No real serial device of this machine may be reachable from the prefix (COM1
# is the console on these machines): an empty folder in place of the link
# makes Wine neither map nor list the port.
dev="$prefix/dosdevices"
for link in "$dev"/com*; do
  [ -L "$link" ] || continue
  case "$(readlink "$link")" in
    "$ports"/*) ;;
    *) rm -f "$link"; mkdir -p "$link" ;;
  esac
done
for n in $(seq 4 64); do
  [ -d "$dev/com$n" ] && [ ! -L "$dev/com$n" ] && rmdir "$dev/com$n"
  ln -sfn "$ports/com$n" "$dev/com$n"
done

# A persistent server keeps the volatile registry (the serial port list)
# alive between test programs.
"$wineserver" -p </dev/null >/dev/null 2>&1
"$wine" reg query 'HKLM\HARDWARE\DEVICEMAP' </dev/null >/dev/null 2>&1 || true
