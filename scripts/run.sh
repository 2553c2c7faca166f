#!/usr/bin/env bash
# Installs what is missing, builds the screen saver and runs it under Wine.
# usage: scripts/run.sh [--arch x64|x86] [ARGUMENT TEXT]
#   ARGUMENT TEXT   "/s" by default; "/c" the properties dialog
#   --arch x86      the 32-bit program (the one shipped for 32-bit Windows), on
#                   Wine 10 in the tree of scripts/wine-tree.sh; x64 (the
#                   default) is the 64-bit program on this machine's Wine 8
# On the current X display when there is one; otherwise on a virtual display,
# where it runs for a few seconds, keeps a screenshot and ends with a key press.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
arch=x64 i386_on=
if [ "${1:-}" = --arch ]; then arch=$2; shift 2; fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case $arch in
  x64)
    ./scripts/setup.sh
    ./scripts/build.sh --program win64
    wine=(/usr/lib/wine/wine64) wineserver=(/usr/lib/wine/wineserver)
    export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
    scr=$root/build/win64/Zindle!.scr
    ;;
  x86)
    ./scripts/setup.sh --wine10
    ./scripts/build.sh --program win32
    wine=("$root/scripts/wine-tree.sh" run /usr/lib/wine/wine64)
    wineserver=("$root/scripts/wine-tree.sh" run /usr/lib/wine/wineserver)
    export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix-10}
    scr=$root/build/win32/Zindle!.scr
    # The 32-bit Wine is a 32-bit Linux program: where the kernel refuses
    # those, qemu runs it while this runs.
    if ! scripts/wine-tree.sh i386 status; then
      scripts/wine-tree.sh i386 on $$
      i386_on=1
      trap 'scripts/wine-tree.sh i386 off $$' EXIT
    fi
    ;;
  *) echo "usage: scripts/run.sh [--arch x64|x86] [ARGUMENT TEXT]" >&2; exit 2 ;;
esac
arguments=${*:-/s}
# Wine's own copies of the dialog font and of the caption buttons' symbols,
# which a new prefix lacks (Debian's fonts-wine).
with_fonts() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  [ -d "$fonts" ] || return 0
  for font in sserife.fon marlett.ttf tahoma.ttf tahomabd.ttf; do
    [ -e "$fonts/$font" ] || [ ! -e "/usr/share/wine/fonts/$font" ] || cp "/usr/share/wine/fonts/$font" "$fonts/"
  done
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  [ -d "$WINEPREFIX" ] || "${wine[@]}" wineboot -i >/dev/null 2>&1
  with_fonts
  # The display's window manager frames the windows.
  "${wine[@]}" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  echo "Running the $arch Zindle! $arguments on $DISPLAY (any key or mouse movement ends the saver)"
  "${wine[@]}" "$scr" $arguments
  exit
fi

. scripts/x-server.sh
x_pid=
ended() {
  "${wineserver[@]}" -k 2>/dev/null || true
  [ -z "$x_pid" ] || kill $x_pid 2>/dev/null || true
  [ -z "$i386_on" ] || scripts/wine-tree.sh i386 off $$
}
trap ended EXIT
start_x_server /dev/null Xvfb -screen 0 1024x768x24 -nolisten tcp
export DISPLAY=$x_display
[ -d "$WINEPREFIX" ] || "${wine[@]}" wineboot -i >/dev/null 2>&1
with_fonts
# No window manager runs on the virtual display: Wine frames the windows itself.
"${wine[@]}" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
echo "No X display here: running the $arch Zindle! $arguments on the virtual display $DISPLAY for a few seconds"
# Something to look at on the virtual desktop: a chequered colour card.
convert -size 1024x768 gradient:orange-navy \( -size 128x96 pattern:checkerboard -scale 800% \) \
  -compose overlay -composite build/desktop.png && display -window root build/desktop.png || true
"${wine[@]}" "$scr" $arguments &
program=$!
# A new prefix or a busy machine can keep the first window a while: the few
# seconds count from when a window of the program shows.
shows() { xwininfo -root -tree 2>/dev/null | grep '("zindle!.scr"' | grep -qv ' 1x1+'; }
for _ in $(seq 300); do shows && break; kill -0 $program 2>/dev/null || break; sleep 0.1; done
sleep 4
import -window root build/run-screenshot.png
xdotool key space 2>/dev/null || true
for _ in $(seq 50); do kill -0 $program 2>/dev/null || break; sleep 0.1; done
kill $program 2>/dev/null || true
echo "Screenshot of the running program: build/run-screenshot.png"
