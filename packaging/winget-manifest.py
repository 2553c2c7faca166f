#!/usr/bin/env python3
"""Writes the winget manifest of a release: the version, installer and
default-locale files, in the folder layout of the winget package repository.
usage: winget-manifest.py VERSION FOLDER URL X64.msi X86.msi
URL is the web folder the packages are published in. Prints the folder
written to. Each installer's hash and product code are read from its package."""
import hashlib
import json
import os
import subprocess
import sys

IDENTIFIER = "Korvane.Zindle"
MANIFEST_VERSION = "1.6.0"


def product_code(msi):
    table = subprocess.run(["msiinfo", "export", msi, "Property"], check=True, capture_output=True,
                           text=True).stdout
    for line in table.splitlines():
        name, _, value = line.rstrip("\r").partition("\t")
        if name == "ProductCode":
            return value
    sys.exit(f"{msi}: no ProductCode")


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest().upper()


def yaml(kind, fields, installers=()):
    """A manifest as YAML; each value is written as a JSON string, which YAML
    reads as it is (a product code's braces are no mapping)."""
    lines = [f"# {kind} manifest of Zindle!, written by scripts/package.sh",
             f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind.lower()}.{MANIFEST_VERSION}.schema.json",
             ""]
    lines += [f"{key}: {json.dumps(value, ensure_ascii=False)}" for key, value in fields]
    if installers:
        lines.append("Installers:")
        for installer in installers:
            for i, (key, value) in enumerate(installer):
                lines.append(f"{'- ' if i == 0 else '  '}{key}: {json.dumps(value)}")
    lines += [f"ManifestType: {kind}", f"ManifestVersion: {MANIFEST_VERSION}", ""]
    return "\n".join(lines)


def main():
    version, folder, url, x64, x86 = sys.argv[1:6]
    publisher, name = IDENTIFIER.split(".")
    folder = os.path.join(folder, "manifests", publisher[0].lower(), publisher, name, version)
    os.makedirs(folder, exist_ok=True)
    package = [("PackageIdentifier", IDENTIFIER), ("PackageVersion", version)]
    installers = [[("Architecture", arch), ("InstallerType", "wix"), ("Scope", "machine"),
                   ("InstallerUrl", f"{url.rstrip('/')}/{os.path.basename(msi)}"),
                   ("InstallerSha256", sha256(msi)), ("ProductCode", product_code(msi)),
                   ("UpgradeBehavior", "install")]
                  for arch, msi in (("x64", x64), ("x86", x86))]
    files = {
        f"{IDENTIFIER}.yaml": yaml("version", package + [("DefaultLocale", "en-US")]),
        f"{IDENTIFIER}.installer.yaml": yaml("installer", package, installers),
        f"{IDENTIFIER}.locale.en-US.yaml": yaml("defaultLocale", package + [
            ("PackageLocale", "en-US"), ("Publisher", "Korvane"),
            ("PublisherUrl", "http://www.korvane.example/zindle/"), ("PackageName", "Zindle!"),
            ("License", "MIT"), ("LicenseUrl", "https://opensource.org/license/mit"), ("Copyright", "Copyright \u00a9 Korvane"),
            ("ShortDescription", "A screen saver that makes the desktop shudder and slowly drift apart.")]),
    }
    for file, text in files.items():
        with open(os.path.join(folder, file), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    print(folder)


if __name__ == "__main__":
    main()
