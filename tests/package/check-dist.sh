#!/usr/bin/env bash
# Checks the release in build/dist without Windows: each package's tables
# (msiinfo) and the file it carries (msiextract), the archive's listing and
# contents, and the checksums. One line per check, then
# "package checks: N run, M failed"; the exit status tells whether all passed.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^project(Zindle VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
dist=$root/build/dist
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expect() {  # what, actual, expected
  [ "$2" = "$3" ] || { echo "$1: expected '$3', found '$2'"; return 1; }
}
# A table of a package without its three header lines.
table() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }
property() { table "$1" Property | sed -n "s/^$2\t//p"; }

package_installs() {  # arch, built program, system folder, component attributes, platform
  local msi=$dist/Zindle-$version-$1.msi status=0
  [ -f "$msi" ] || { echo "no $msi"; return 1; }
  expect "platform and language" "$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')" "$5;1033" || status=1
  expect "product" "$(property "$msi" ProductName) $(property "$msi" ProductVersion) by $(property "$msi" Manufacturer)" \
    "Zindle! $version by Korvane" || status=1
  expect "per machine" "$(property "$msi" ALLUSERS)" 1 || status=1
  msiinfo extract "$msi" "Icon.$(property "$msi" ARPPRODUCTICON)" | cmp -s - "$root/resources/zindle.ico" ||
    { echo "the icon for Programs and Features is not resources/zindle.ico"; status=1; }
  expect "folder and attributes of the component" "$(table "$msi" Component | cut -f3,4)" "$3	$4" || status=1
  expect "file, version and language" "$(table "$msi" File | cut -f3,5,6)" "Zindle!.scr	$version.0	1033" || status=1
  # msiextract writes the Icon table beside the program, so it runs in a folder of its own.
  mkdir -p "$work/$1"
  (cd "$work/$1" && msiextract "$msi" >/dev/null)
  cmp -s "$work/$1/Zindle!.scr" "$2" || { echo "the file carried is not $2"; status=1; }
  return $status
}

# The two lines upgrade each on their own, so that one machine may hold both.
upgrade_codes_differ() {
  local x64 x86
  x64=$(property "$dist/Zindle-$version-x64.msi" UpgradeCode)
  x86=$(property "$dist/Zindle-$version-x86.msi" UpgradeCode)
  [ -n "$x64" ] && [ "$x64" != "$x86" ] || { echo "upgrade codes '$x64' and '$x86'"; return 1; }
}

archive_holds_both_programs_and_the_read_me() {
  local zip=$dist/Zindle-$version.zip status=0
  expect "listing" "$(unzip -Z1 "$zip" | tr '\n' ' ')" "ReadMe.txt x64/Zindle!.scr x86/Zindle!.scr " || return 1
  unzip -p "$zip" "x64/Zindle!.scr" | cmp -s - "$root/build/win64/Zindle!.scr" || { echo "x64/ is not the 64-bit build"; status=1; }
  unzip -p "$zip" "x86/Zindle!.scr" | cmp -s - "$root/build/win32/Zindle!.scr" || { echo "x86/ is not the 32-bit build"; status=1; }
  grep -q "Zindle! $version" <<<"$(unzip -p "$zip" ReadMe.txt)" || { echo "the read-me names no version $version"; status=1; }
  return $status
}

checksums_verify() {
  expect "files listed" "$(awk '{print $2}' "$dist/SHA256SUMS" | tr '\n' ' ')" \
    "Zindle-$version-x64.msi Zindle-$version-x86.msi Zindle-$version.zip " || return 1
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS)
}

# Hardened as Microsoft's compiler builds by default: ASLR, DEP, on x64
# high-entropy ASLR, and the stack protector's check in the program's frames.
hardened() {  # program, objdump, flags expected
  local program=$1 objdump=$2 status=0 flag checks headers
  shift 2
  # Read whole first: grep -q leaving early would fail the pipe under pipefail.
  headers=$("$objdump" -p "$program")
  for flag in "$@"; do
    grep -qx "[[:space:]]*$flag" <<<"$headers" || { echo "$program: no $flag"; status=1; }
  done
  checks=$("$objdump" -d "$program" | grep -c "call.*<___*stack_chk_fail>")
  [ "$checks" -ge 50 ] || { echo "$program: the stack protector checks $checks frames"; status=1; }
  return $status
}

# A folder that holds anything of the user's is refused and left as it was,
# even with an earlier release beside it.
refuses_a_folder_of_the_users() {
  local folder=$work/users
  mkdir -p "$folder" && cp "$dist/SHA256SUMS" "$dist/Zindle-$version.zip" "$folder/" && echo mine >"$folder/notes.txt"
  ! "$root/scripts/package.sh" "$folder" >"$work/refused.log" 2>&1 || { echo "package.sh wrote into it"; return 1; }
  grep -q "'notes.txt'" "$work/refused.log" || { echo "it did not say which file:"; cat "$work/refused.log"; return 1; }
  expect "what the folder holds" "$(cd "$folder" && ls -A | tr '\n' ' ')" "SHA256SUMS Zindle-$version.zip notes.txt " &&
    expect "the user's file" "$(cat "$folder/notes.txt")" mine
}

. "$root/tests/package/checks.sh"
check "x64 package: the 64-bit saver for System64Folder" \
  package_installs x64 "$root/build/win64/Zindle!.scr" System64Folder 256 x64
check "x86 package: the 32-bit saver for SystemFolder" \
  package_installs x86 "$root/build/win32/Zindle!.scr" SystemFolder 0 Intel
check "x64 and x86 packages upgrade on their own" upgrade_codes_differ
check "zip: both programs and the read-me, nothing else" archive_holds_both_programs_and_the_read_me
check "SHA256SUMS verifies the three files" checksums_verify
check "the 64-bit program: ASLR (high entropy), DEP, stack protector" \
  hardened "$root/build/win64/Zindle!.scr" x86_64-w64-mingw32-objdump DYNAMIC_BASE NX_COMPAT HIGH_ENTROPY_VA
check "the 32-bit program: ASLR, DEP, stack protector" \
  hardened "$root/build/win32/Zindle!.scr" i686-w64-mingw32-objdump DYNAMIC_BASE NX_COMPAT
check "package.sh refuses a folder that holds a file of the user's, and leaves it as it was" refuses_a_folder_of_the_users
echo "package checks: $run run, $failed failed"
[ "$failed" -eq 0 ]
