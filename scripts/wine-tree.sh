#!/usr/bin/env bash
# Wine 10 for the tests: a Debian 13 tree beside the host's Debian 12, with the
# 64-bit and the 32-bit Wine, the virtual displays and what the scenarios use.
# The 32-bit Wine is a 32-bit Linux program: where the kernel or the processor
# cannot run those, it runs under qemu-i386 through binfmt_misc.
#
#   wine-tree.sh make           makes the tree once (about 4 minutes), or adds
#                               what an older tree lacks
#   wine-tree.sh run CMD ...    runs CMD in the tree, in a mount namespace of its
#                               own with /tmp and the project's folder as on the host
#   wine-tree.sh i386 on|off [PID]
#                               lets the machine run 32-bit Linux programs with the
#                               tree's qemu-i386 where it cannot run them itself
#                               (ZINDLE_I386_QEMU=1: even where it can), for process
#                               PID (by default the caller) until it says off
#   wine-tree.sh i386 status    exits 0 when 32-bit Linux programs run
# ZINDLE_TREE names the tree (default /var/lib/zindle/trixie).
set -euo pipefail
tree=${ZINDLE_TREE:-/var/lib/zindle/trixie}
root=$(cd "$(dirname "$0")/.." && pwd)
packages="wine64 wine wine32:i386 qemu-user procps xvfb x11-utils x11-xserver-utils xserver-xorg-core
          xserver-xorg-video-dummy fonts-wine"
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/zindle-i386
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

make_tree() {
  # One run at a time makes the tree; the others wait for it and find it made.
  local lock=/tmp/zindle-tree.lock log
  [ -e "$lock" ] || : >"$lock"
  exec 8<"$lock"
  flock 8
  if [ -f "$tree/etc/zindle-tree" ] && [ "$(cat "$tree/etc/zindle-tree")" = "$(echo $packages)" ]; then
    return 0
  fi
  if [ ! -d "$tree" ]; then
    echo "Making the Debian 13 tree for Wine 10 in $tree (once, a few minutes)"
    log=$(dirname "$tree")/debootstrap.log
    $sudo rm -rf "$tree.new"
    $sudo mkdir -p "$(dirname "$tree")"
    $sudo debootstrap --variant=minbase --include=wine64,qemu-user,procps trixie "$tree.new" \
      http://deb.debian.org/debian 2>&1 | $sudo tee "$log" >/dev/null || { $sudo tail -5 "$log" >&2; return 1; }
    $sudo mv "$tree.new" "$tree"
  fi
  echo "Installing Wine 10 and the virtual displays in $tree"
  $sudo chroot "$tree" dpkg --add-architecture i386
  as_root=1 run_in_tree sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends $(echo $packages) >/dev/null"
  echo $packages | $sudo tee "$tree/etc/zindle-tree" >/dev/null
}

# The tree sees the host's /tmp (the X servers' sockets, the test runs' folders)
# and the project at the same path, so that paths mean the same on both sides.
# The command runs as the caller and with the caller's environment, both of
# which sudo would reset: Wine must not leave root's files in the user's
# folders, and the runs hand their settings down in the environment.
run_in_tree() {
  local user groups environment=()
  user=$(id -u):$(id -g) groups=$(id -G | tr ' ' ,)
  [ -z "${as_root:-}" ] || user=0:0 groups=0
  mapfile -d '' environment < <(env -0)
  $sudo /usr/bin/env -i "${environment[@]}" /usr/bin/unshare --mount --propagation private -- \
    /bin/sh -s "$tree" "$root" "$user" "$groups" "$@" <<'SH'
tree=$1 root=$2 user=$3 groups=$4; shift 4
caller_path=$PATH
PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc "$tree/proc"
mount --rbind /sys "$tree/sys"
mount --bind /dev "$tree/dev"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$tree/dev/pts"
mount -t tmpfs tmpfs "$tree/dev/shm"
mount --bind /tmp "$tree/tmp"
case $root in
  /tmp/*) ;;
  *) mkdir -p "$tree$root" && mount --bind "$root" "$tree$root" ;;
esac
# The caller's folder where the tree has it, else the project's.
here=$PWD
[ -d "$tree$here" ] || here=$root
exec chroot --userspec="$user" --groups="$groups" "$tree" /usr/bin/env --chdir="$here" PATH="$caller_path" "$@" </dev/null
SH
}

# Whether a 32-bit Linux program runs: Wine's 32-bit loader, started alone,
# answers with its version or that it misses its other half (it ran); a kernel
# that refuses it, or a processor that cannot run it, gives no such answer.
runs_i386() {
  local answer
  answer=$($sudo chroot "$tree" /usr/lib/wine/wine --version 2>&1 || true)
  [[ $answer == *ntdll* || $answer == wine-[0-9]* ]]
}

# The entry holds machine-wide, and runs side by side share it: each run that
# asks for it leaves its process number in $users, and the last one to let go
# takes it away. A run that was killed leaves a number no process has, which
# counts for nothing.
holder=$PPID
users=/run/zindle-i386
holds() {  # whether other processes still need the entry; forgets the gone ones
  local file held=1
  for file in "$users"/*; do
    [ -e "$file" ] || continue
    if [ -d "/proc/${file##*/}" ]; then held=0; else $sudo rm -f "$file"; fi
  done
  return $held
}

i386() {
  if [ "$1" != status ]; then
    # One run at a time registers or takes away the entry.
    local lock=/tmp/zindle-i386.lock
    [ -e "$lock" ] || : >"$lock"
    exec 9<"$lock"
    flock 9
  fi
  case $1 in
    status) [ -e "$entry" ] || runs_i386 ;;
    on)
      # An entry that no live run holds was left by a killed one: gone, so
      # that the machine's own answer counts again.
      if [ -e "$entry" ] && ! holds; then echo -1 | $sudo tee "$entry" >/dev/null; fi
      if [ -z "${ZINDLE_I386_QEMU:-}" ] && runs_i386; then
        echo "32-bit Linux programs run natively here"
        return 0
      fi
      $sudo mkdir -p "$users" && $sudo touch "$users/$holder"
      if [ -e "$entry" ]; then
        echo "32-bit Linux programs run through qemu-i386 here (already registered)"
        return 0
      fi
      if [ -n "${ZINDLE_I386_QEMU:-}" ]; then
        echo "32-bit Linux programs run through qemu-i386 here (ZINDLE_I386_QEMU is set)"
      else
        echo "32-bit Linux programs do not run here: qemu-i386 runs them"
      fi
      [ -e "$binfmt/register" ] || $sudo mount -t binfmt_misc binfmt_misc "$binfmt"
      # 32-bit x86 ELF programs, by their header; F opens qemu now, so that it
      # serves inside the tree as well; P keeps the program's own argv[0].
      printf '%s' ':zindle-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$tree"'/usr/bin/qemu-i386:FP' |
        $sudo tee "$binfmt/register" >/dev/null
      ;;
    off)
      $sudo rm -f "$users/$holder"
      holds || [ ! -e "$entry" ] || echo -1 | $sudo tee "$entry" >/dev/null
      ;;
  esac
}

case ${1:-} in
  make) make_tree ;;
  run) shift; run_in_tree "$@" ;;
  i386) holder=${3:-$PPID}; i386 "${2:-status}" ;;
  *) sed -n '2,15p' "$0" >&2; exit 2 ;;
esac
