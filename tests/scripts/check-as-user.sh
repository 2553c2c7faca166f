#!/usr/bin/env bash
# The README's run command for a user who is not root but may use sudo, as
# Debian sets it up (env_reset on), when the suite itself runs as root (as CI
# does): a throw-away user with password-less sudo gets a copy of the
# checkout and runs ./scripts/run.sh and ./scripts/run.sh --arch x86 in it.
# Each run's screenshot must show the saver at work, and everything the runs
# leave in the copy must belong to that user. The user goes afterwards.
# One line per check, then "user checks: N run, M failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/package/checks.sh"
if [ "$(id -u)" -ne 0 ]; then
  echo "user checks: 0 run, 0 failed (this run is a user's own)"
  exit 0
fi
user=zindle-check
home=/tmp/zindle-check-home
gone() {
  userdel "$user" 2>/dev/null
  rm -f "/etc/sudoers.d/$user"
  rm -rf "$home"
}
gone
trap "${ZINDLE_KEEP_USER:+:} gone" EXIT
command -v sudo >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq sudo >/dev/null
useradd --home-dir "$home" --create-home --shell /bin/bash "$user" || { echo "user checks: no user could be made"; exit 1; }
echo "$user ALL=(ALL:ALL) NOPASSWD: ALL" >"/etc/sudoers.d/$user" && chmod 0440 "/etc/sudoers.d/$user"
# The checkout as it is, tracked and new files, copied by the user, with the
# compiler's cache of this run's builds: the user's builds then take seconds.
copy=$home/zindle
(cd "$root" && { git ls-files -z --cached --others --exclude-standard; [ ! -d build/ccache ] || find build/ccache -print0; } |
  tar --null --ignore-failed-read --no-recursion -T - -cf - 2>/dev/null) |
  su "$user" -c "mkdir -p '$copy' && tar -xf - -C '$copy'"

as_user() {  # log, command line: as the user logs in, in the copy
  su - "$user" -c "cd '$copy' && $2" >"$home/$1.log" 2>&1 || { tail -n 20 "$home/$1.log"; return 1; }
}
# The saver at work on the chequered card: most of it still the card, some of
# it moved (colours as the display shows them, within 10 %).
shows_the_saver() {  # log, arguments of run.sh
  local log=$1 shot=$copy/build/run-screenshot.png changed total
  shift
  rm -f "$shot"
  as_user "$log" "./scripts/run.sh $*" || return 1
  [ -f "$shot" ] || { echo "no screenshot"; return 1; }
  total=$(identify -format '%[fx:w*h]' "$shot")
  changed=$(compare -fuzz 10% -metric AE "$copy/build/desktop.png" "$shot" null: 2>&1 >/dev/null)
  changed=${changed%% *}
  [ "${changed:-0}" -gt $((total / 200)) ] && [ "${changed:-0}" -lt $((total / 2)) ] ||
    { echo "the screenshot differs from the desktop in ${changed:-?} of $total pixels:"; tail -n 8 "$home/$log.log"; return 1; }
}
everything_is_the_users() {
  local others
  others=$(find "$copy" ! -user "$user" -printf '%u %p\n' | head -n 5)
  [ -z "$others" ] || { echo "not the user's:"; echo "$others"; return 1; }
}

check "as a user with sudo: ./scripts/run.sh shows the saver" shows_the_saver run-x64
check "as a user with sudo: ./scripts/run.sh --arch x86 shows the 32-bit saver" shows_the_saver run-x86 --arch x86
check "as a user with sudo: everything the runs left in the checkout is the user's" everything_is_the_users
echo "user checks: $run run, $failed failed ($SECONDS s)"
[ "$failed" -eq 0 ]
