#!/usr/bin/env bash
# Installs what is missing, builds the screen saver and runs it under Wine.
# usage: scripts/run.sh [ARGUMENT TEXT]     (default "/s"; "/c" the properties dialog)
# On the current X display when there is one; otherwise on a virtual display,
# where it runs for a few seconds, keeps a screenshot and ends with a key press.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
./scripts/build.sh win64
arguments=${*:-/s}
wine=/usr/lib/wine/wine64
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
scr=$root/build/win64/Zindle!.scr

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  [ -d "$WINEPREFIX" ] || "$wine" wineboot -i >/dev/null 2>&1
  echo "Running Zindle! $arguments on $DISPLAY (any key or mouse movement ends the saver)"
  exec "$wine" "$scr" $arguments
fi

display=80
while [ -e /tmp/.X$display-lock ] || [ -e /tmp/.X11-unix/X$display ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'WINEPREFIX=$WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=:$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
[ -d "$WINEPREFIX" ] || "$wine" wineboot -i >/dev/null 2>&1
echo "No X display here: running Zindle! $arguments on the virtual display $DISPLAY for 6 seconds"
# Something to look at on the virtual desktop: a chequered colour card.
convert -size 1024x768 gradient:orange-navy \( -size 128x96 pattern:checkerboard -scale 800% \) \
  -compose overlay -composite build/desktop.png && display -window root build/desktop.png || true
"$wine" "$scr" $arguments &
program=$!
sleep 6
import -window root build/run-screenshot.png
xdotool key space 2>/dev/null || true
for _ in $(seq 50); do kill -0 $program 2>/dev/null || break; sleep 0.1; done
kill $program 2>/dev/null || true
echo "Screenshot of the running program: build/run-screenshot.png"
