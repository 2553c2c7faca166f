#!/usr/bin/env bash
# Builds one Windows Installer package of Zindle! with wixl.
# usage: packaging/build-msi.sh x64|x86 VERSION PROGRAM.scr OUTPUT.msi
# Afterwards it writes into the package what WiX itself would and wixl does not:
# the program's version and language in the File table (so that Windows
# Installer treats it as a versioned file and replaces an older copy found in
# the system folder), and an upgrade range that takes in the same version (a
# rebuild of the installed version then replaces it instead of standing
# beside it under a second entry).
set -euo pipefail
arch=$1 version=$2 scr=$3 out=$4
root=$(cd "$(dirname "$0")/.." && pwd)
case $arch in x64|x86) ;; *) echo "build-msi.sh: no such architecture: $arch" >&2; exit 2 ;; esac

read -r file_version language < <(python3 "$root/packaging/file-version.py" "$scr")

# wixl looks up sources relative to the folder it runs in.
rel() { realpath --relative-to="$root" "$1"; }
mkdir -p "$(dirname "$out")"
out=$(realpath "$out")
cd "$root"
wixl --arch "$arch" -D Version="$version" -D Arch="$arch" -D Scr="$(rel "$scr")" \
  -D Icon=resources/zindle.ico -o "$out" packaging/zindle.wxs

upgrade_code=$(msiinfo export "$out" Property | sed -n 's/^UpgradeCode\t//p' | tr -d '\r')
msibuild "$out" -q "UPDATE \`File\` SET \`Version\`='$file_version', \`Language\`='$language' WHERE \`File\`='Saver'"
msibuild "$out" -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\`='Saver'"
msibuild "$out" -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\`='WIX_UPGRADE_DETECTED'"
msibuild "$out" -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`)
                    VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"
