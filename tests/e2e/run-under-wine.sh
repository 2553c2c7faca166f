#!/usr/bin/env bash
# Runs a Windows program of the test suite under Wine on a virtual X display,
# in a Wine prefix made for this run alone, and cleans both up afterwards.
# usage: run-under-wine.sh [--wine 8|10] [--arch x64|x86] [--size WxH | --layouts "LAYOUT..."]
#                          PROGRAM.exe [ARGS...]
#   --wine 8         Debian 12's Wine 8 on this machine (the default)
#   --wine 10        Debian 13's Wine 10, in the tree of scripts/wine-tree.sh
#   --arch x64|x86   the build of the saver under test: ZINDLE_SCR names its
#                    Zindle!.scr and ZINDLE_TEST_MODULES the folder of its
#                    stand-ins for system modules (the 32-bit build needs Wine 10)
#   --size WxH       one monitor on Xvfb (default 800x600)
#   --dpi N          the X server's dots per inch (Wine 10 takes each monitor's
#                    scale from it; Wine 8 only from the registry)
#   --layouts ...    several monitors on X.Org's dummy driver: the program runs
#                    once per layout, with ZINDLE_LAYOUT naming it and every
#                    "{layout}" in ARGS replaced by the name. Layouts (the
#                    primary is 800 x 600): right (800 x 600 right of it),
#                    left (800 x 600 left of it), gap (640 x 480 right of it),
#                    three (640 x 480 on either side)
# The environment variables ZINDLE_SCR and friends are handed on as they are.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
size=800x600
layouts= runtime=8 arch= dpi=96
arguments=("$@")
while [ $# -gt 0 ]; do
  case $1 in
    --wine) runtime=$2; shift 2 ;;
    --arch) arch=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --dpi) dpi=$2; shift 2 ;;
    --layouts) layouts=$2; shift 2 ;;
    *) break ;;
  esac
done
program=$1; shift
case $runtime/${arch:-x64} in
  8/x64 | 10/x64 | 10/x86) ;;
  8/x86) echo "the 32-bit program runs on Wine 10 only here: --wine 10 --arch x86" >&2; exit 2 ;;
  *) echo "unknown runtime or build: --wine $runtime --arch $arch" >&2; exit 2 ;;
esac
if [ -n "$arch" ]; then
  build=$root/build/$(case $arch in x86) echo win32 ;; *) echo win64 ;; esac)
  winpath() { echo "Z:$1" | tr / '\\'; }
  export ZINDLE_SCR=$(winpath "$build/Zindle!.scr") ZINDLE_TEST_MODULES=$(winpath "$build/tests/e2e")
fi
. "$root/scripts/x-server.sh"
# The display, its files in the folder given: Xvfb, or for several monitors
# X.Org's dummy driver, whose RandR outputs Wine reports as monitors (Xvfb
# offers one). Debian lets only root or the console's user start X.Org, so a
# user's goes through sudo; the Wine 10 tree has no sudo, so the run outside
# the tree starts it and hands its display in (ZINDLE_X_DISPLAY).
start_display() {
  if [ -z "$layouts" ]; then
    start_x_server "$1/xvfb.log" Xvfb -screen 0 ${size}x24 -dpi "$dpi" -nolisten tcp
    return
  fi
  cat >"$1/xorg.conf" <<CONF
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
  Modeline "800x600" 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "800x600"
    Virtual 4096 2048
  EndSubSection
EndSection
CONF
  local sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  start_x_server "$1/xorg.out" $sudo Xorg -config "$1/xorg.conf" -noreset -nolisten tcp -logfile "$1/xorg.log"
}
x_pid=
stop_display() {
  [ -n "$x_pid" ] || return 0
  kill $x_pid 2>/dev/null || true
  wait $x_pid 2>/dev/null || true
}
if [ "$runtime" = 10 ] && [ -z "${ZINDLE_IN_TREE:-}" ]; then
  i386= xwork=
  outside_cleanup() {
    stop_display
    [ -z "$xwork" ] || rm -rf "$xwork"
    [ -z "$i386" ] || "$root/scripts/wine-tree.sh" i386 off $$
  }
  trap outside_cleanup EXIT
  if [ "$arch" = x86 ] && ! "$root/scripts/wine-tree.sh" i386 status; then
    # The 32-bit Wine is a 32-bit Linux program: let qemu run it for this run.
    "$root/scripts/wine-tree.sh" i386 on $$
    i386=1
  fi
  if [ -n "$layouts" ]; then
    xwork=$(mktemp -d /tmp/zindle-x.XXXXXX)
    start_display "$xwork"
    export ZINDLE_X_DISPLAY=$x_display
  fi
  status=0
  ZINDLE_IN_TREE=1 "$root/scripts/wine-tree.sh" run bash "$0" "${arguments[@]}" || status=$?
  exit $status
fi

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
work=$(mktemp -d /tmp/zindle-wine.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64

cleanup() {
  WINEPREFIX=$work/prefix "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
  stop_display
  rm -rf "$work"
}
trap cleanup EXIT
if [ -n "${ZINDLE_X_DISPLAY:-}" ]; then
  x_display=$ZINDLE_X_DISPLAY
else
  start_display "$work"
fi
export DISPLAY=$x_display

# Monitors: the primary DUMMY0 stays; the others are switched on as asked.
monitors() { xrandr --listmonitors 2>/dev/null | head -1 | tr -dc 0-9; }
lay_out() {
  for output in DUMMY1 DUMMY2; do xrandr --output $output --off; done
  case $1 in
    right) xrandr --addmode DUMMY1 800x600 && xrandr --output DUMMY1 --mode 800x600 --right-of DUMMY0 ;;
    left) xrandr --addmode DUMMY1 800x600 && xrandr --output DUMMY1 --mode 800x600 --left-of DUMMY0 ;;
    gap) xrandr --addmode DUMMY1 z640x480 && xrandr --output DUMMY1 --mode z640x480 --right-of DUMMY0 ;;
    three) xrandr --addmode DUMMY1 z640x480 && xrandr --output DUMMY1 --mode z640x480 --left-of DUMMY0 &&
      xrandr --addmode DUMMY2 z640x480 && xrandr --output DUMMY2 --mode z640x480 --right-of DUMMY0 ;;
    *) echo "unknown layout $1" >&2; return 1 ;;
  esac
}
if [ -n "$layouts" ]; then
  xrandr --newmode z640x480 23.86 640 656 720 800 480 481 484 497 -hsync +vsync
  # Every secondary can take the smaller mode at once: a scenario that
  # switches one on mid-run does it with one xrandr command, which Wine sees
  # as one change (two in a row are not always seen).
  xrandr --addmode DUMMY1 z640x480 && xrandr --addmode DUMMY2 z640x480
  first=${layouts%% *}
  lay_out "$first"
fi

"$wine" wineboot -i >"$work/wineboot.log" 2>&1
# A crash ends the process with its code instead of waiting on a dialog.
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# No window manager runs on the virtual display: with managed windows Wine
# would wait two seconds for one on every hide.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
if [ "$dpi" != 96 ]; then
  # The display's scale in the registry too, taken by Wine's desktop process
  # when it starts: end the first one so that the next takes it.
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
  "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
fi
export ZINDLE_SCRATCH=$("$wine" winepath -w "$work/scratch" 2>/dev/null | tr -d '\r')
mkdir -p "$work/scratch"
set +e
if [ -z "$layouts" ]; then
  "$wine" "$program" "$@"
  status=$?
else
  status=0
  for layout in $layouts; do
    lay_out "$layout" || { status=1; continue; }
    want=$(case $layout in three) echo 3 ;; *) echo 2 ;; esac)
    for _ in $(seq 100); do [ "$(monitors)" = "$want" ] && break; sleep 0.05; done
    echo "== $layout: $(xrandr --listmonitors | tail -n +2 | awk '{print $3}' | tr '\n' ' ')"
    ZINDLE_LAYOUT=$layout "$wine" "$program" "${@//\{layout\}/$layout}" || status=1
  done
fi
set -e
exit $status
