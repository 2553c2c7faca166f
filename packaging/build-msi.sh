#!/usr/bin/env bash
# Builds one Windows Installer package of Zindle! with wixl.
# usage: packaging/build-msi.sh x64|x86 VERSION PROGRAM.scr OUTPUT.msi
# Afterwards it writes into the package what WiX itself would and wixl does not:
# the program's version and language in the File table (so that Windows
# Installer treats it as a versioned file and replaces an older copy found in
# the system folder), and an upgrade range that takes in the same version (a
# rebuild of the installed version then replaces it instead of standing
# beside it under a second entry).
# The same inputs give the same bytes: the product and package codes are
# derived from the version, the kind and the files packed, and every time in
# the package is SOURCE_DATE_EPOCH (by default the time of the last commit).
set -euo pipefail
arch=$1 version=$2 scr=$3 out=$4
root=$(cd "$(dirname "$0")/.." && pwd)
case $arch in x64|x86) ;; *) echo "build-msi.sh: no such architecture: $arch" >&2; exit 2 ;; esac

read -r file_version language < <(python3 "$root/packaging/file-version.py" "$scr")
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}

# A program or icon of other bytes is another product: it upgrades the one
# installed, as a new build always did, while a rebuild of the same sources
# is the same package.
inputs=$(cat "$scr" "$root/resources/zindle.ico" "$root/packaging/zindle.wxs" | sha256sum | cut -c1-64)
code() {  # what the code names
  python3 -c 'import sys, uuid
print(str(uuid.uuid5(uuid.UUID("9b4e5c1a-7d2f-4e8b-a6c3-5f0d1e2b3c4d"), " ".join(sys.argv[1:]))).upper())' \
    "$1" "$arch" "$version" "$inputs"
}
product_code=$(code product) package_code=$(code package)

# wixl looks up sources relative to the folder it runs in, and the cabinet
# keeps each file's time: the inputs go into a folder of their own, at the
# pinned time.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$scr" "$work/Zindle!.scr"
cp "$root/resources/zindle.ico" "$root/packaging/zindle.wxs" "$work/"
touch -d "@$epoch" "$work"/*
mkdir -p "$(dirname "$out")"
out=$(realpath "$out")
# wixl writes the clock's time into the summary information: a clock that
# stands at the pinned time.
pinned=(env TZ=UTC faketime -f "$(TZ=UTC date -d "@$epoch" '+%Y-%m-%d %H:%M:%S')")
(cd "$work" && "${pinned[@]}" wixl --arch "$arch" -D Version="$version" -D Arch="$arch" -D Scr='Zindle!.scr' \
  -D Icon=zindle.ico -D ProductCode="$product_code" -o "$out" zindle.wxs)

upgrade_code=$(msiinfo export "$out" Property | sed -n 's/^UpgradeCode\t//p' | tr -d '\r')
template=$(msiinfo suminfo "$out" | sed -n 's/^Template: //p')
"${pinned[@]}" msibuild "$out" -s "Screen Zindler" Korvane "$template" "{$package_code}"
"${pinned[@]}" msibuild "$out" -q "UPDATE \`File\` SET \`Version\`='$file_version', \`Language\`='$language' WHERE \`File\`='Saver'"
"${pinned[@]}" msibuild "$out" -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\`='Saver'"
"${pinned[@]}" msibuild "$out" -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\`='WIX_UPGRADE_DETECTED'"
"${pinned[@]}" msibuild "$out" -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`)
                    VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"
