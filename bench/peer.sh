#!/usr/bin/env bash
# The peer on Linux: the melt effect of the classic X11 screen-saver collection
# (decayscreen -root -mode melt) on its own Xvfb display of the given size,
# over a picture on the root window, its CPU share and the X server's over a
# few seconds. With the saver's figures of the same size (the Windows bench's
# output), also their sums and the ratios.
# usage: bench/peer.sh WxH [SAVER-FIGURES] [SECONDS]
set -euo pipefail
size=$1 saver=${2:-} seconds=${3:-10}
peer=/usr/libexec/xscreensaver/decayscreen
figure() { printf '%-9s %-9s %-58s %12.3f %s\n' "$size" peer "$1" "$2" "$3"; }
if [ ! -x "$peer" ]; then
  printf '%-9s %-9s # %s\n' "$size" peer "$peer is missing (Debian's xscreensaver-data-extra)"
  exit 0
fi
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/x-server.sh"
work=$(mktemp -d /tmp/zindle-peer.XXXXXX)
x_pid= ppid=
cleanup() {
  [ -n "$ppid" ] && kill "$ppid" 2>/dev/null || true
  [ -n "$x_pid" ] && kill "$x_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_x_server "$work/xvfb.log" Xvfb -screen 0 "${size}x24" -nolisten tcp
xpid=$x_pid display=${x_display#:}
# A desktop to melt; the peer's own image loader finds no desktop to grab
# without its daemon and melts its test pattern instead: the same copies.
"$root/bench/look/make-desktop.sh" "$work/desktop.ppm" "$size" >/dev/null 2>&1 &&
  DISPLAY=:$display display -window root "$work/desktop.ppm" 2>/dev/null || true
DISPLAY=:$display PATH=/usr/libexec/xscreensaver:$PATH "$peer" -root -mode melt >"$work/peer.log" 2>&1 &
ppid=$!
sleep 3  # its image loaded and the melt under way
# Processor time of all the process's threads in nanoseconds (the scheduler's
# count, as the Windows bench reads the saver's).
ticks() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { print s }'; }
hz=1000000000
p0=$(ticks $ppid) x0=$(ticks $xpid) t0=$(date +%s.%N)
sleep "$seconds"
p1=$(ticks $ppid) x1=$(ticks $xpid) t1=$(date +%s.%N)
share() { python3 -c "print(100 * ($2 - $1) / $hz / ($t1 - $t0))"; }
pp=$(share "$p0" "$p1") xp=$(share "$x0" "$x1")
figure "decayscreen -root -mode melt: process, share of one core" "$pp" %
figure "decayscreen -root -mode melt: X server, share of one core" "$xp" %
figure "decayscreen -root -mode melt: whole cost" "$(python3 -c "print($pp + $xp)")" %
[ -n "$saver" ] && [ -f "$saver" ] || exit 0
# The saver's figures with default settings, seen, from the same run: its
# frames rested on time-outs and on the refresh timer.
value() { sed -n "s/^$size *cpu *$1: $2, share of one core  *\([0-9.-]*\) %.*/\1/p" "$saver" | head -1; }
ratio() { python3 -c "print($1 / $2 if $2 > 0 else -1)"; }
peer_whole=$(python3 -c "print($pp + $xp)")
for run in "seen" "seen, on the refresh timer"; do
  sp=$(value "$run" "saver process") sw=$(value "$run" "Wine server") sx=$(value "$run" "X server")
  [ -n "$sp" ] && [ -n "$sw" ] && [ -n "$sx" ] || continue
  whole=$(python3 -c "print($sp + $sw + $sx)")
  label=saver
  [ "$run" = seen ] || label="saver ${run#seen, }"
  figure "$label: whole cost (process + Wine server + X server)" "$whole" %
  figure "$label: process / peer process (goal: below 1)" "$(ratio "$sp" "$pp")" x
  figure "$label: whole cost / peer's whole cost (goal: at most 2)" "$(ratio "$whole" "$peer_whole")" x
done
