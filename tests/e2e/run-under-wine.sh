#!/usr/bin/env bash
# Runs a Windows program of the test suite under Wine on a virtual X display,
# in a Wine prefix made for this run alone, and cleans both up afterwards.
# usage: run-under-wine.sh [--size WxH] PROGRAM.exe [ARGS...]
# The environment variables ZINDLE_SCR and friends are handed on as they are.
set -euo pipefail
size=800x600
if [ "${1:-}" = "--size" ]; then size=$2; shift 2; fi
program=$1; shift

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
work=$(mktemp -d /tmp/zindle-wine.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64

# A free display number: no lock file and no socket.
display=90
while [ -e /tmp/.X$display-lock ] || [ -e /tmp/.X11-unix/X$display ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 ${size}x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
cleanup() {
  WINEPREFIX=$work/prefix "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
  kill $xvfb 2>/dev/null || true
  wait $xvfb 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=:$display
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.05; done

"$wine" wineboot -i >"$work/wineboot.log" 2>&1
# A crash ends the process with its code instead of waiting on a dialog.
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# No window manager runs on the virtual display: with managed windows Wine
# would wait two seconds for one on every hide.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
export ZINDLE_SCRATCH=$("$wine" winepath -w "$work/scratch" 2>/dev/null | tr -d '\r')
mkdir -p "$work/scratch"
set +e
"$wine" "$program" "$@"
status=$?
set -e
exit $status
