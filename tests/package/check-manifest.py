#!/usr/bin/env python3
"""Checks the winget manifest of a release. Prints what is wrong; the exit
status tells whether all was right.
usage: check-manifest.py fields FILE VERSION
         the file's required fields and their forms, for its manifest type
         (as the winget manifest schema 1.6.0 asks them), and Zindle!'s values
       check-manifest.py packages FOLDER DIST VERSION
         each installer is the package of its architecture in DIST: its hash
         and product code"""
import hashlib
import os
import subprocess
import sys

import jsonschema
import yaml

IDENTIFIER = "Korvane.Zindle"
LOCALE = "^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$"
COMMON = {
    "PackageIdentifier": {"type": "string", "maxLength": 128,
                          "pattern": r'^[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}(\.[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}){1,7}$'},
    "PackageVersion": {"type": "string", "maxLength": 128, "pattern": r'^[^\\/:\*\?"<>\|\x01-\x1f]+$'},
    "ManifestVersion": {"type": "string", "pattern": r"^\d{1,5}(\.\d{1,5}){2}$"},
}
TEXT = lambda low, high: {"type": "string", "minLength": low, "maxLength": high}
INSTALLER = {
    "type": "object",
    "required": ["Architecture", "InstallerUrl", "InstallerSha256"],
    "properties": {
        "Architecture": {"enum": ["x86", "x64", "arm", "arm64", "neutral"]},
        "InstallerType": {"enum": ["msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa",
                                   "portable"]},
        "Scope": {"enum": ["user", "machine"]},
        "InstallerUrl": {"type": "string", "maxLength": 2048, "pattern": "^[Hh][Tt][Tt][Pp][Ss]?://.+$"},
        "InstallerSha256": {"type": "string", "pattern": "^[A-Fa-f0-9]{64}$"},
        "ProductCode": TEXT(1, 255),
        "UpgradeBehavior": {"enum": ["install", "uninstallPrevious", "deny"]},
    },
}
SCHEMAS = {  # manifest type: required fields, forms of the fields
    "version": (["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType", "ManifestVersion"],
                {"DefaultLocale": {"type": "string", "maxLength": 20, "pattern": LOCALE}}),
    "defaultLocale": (["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName", "License",
                       "ShortDescription", "ManifestType", "ManifestVersion"],
                      {"PackageLocale": {"type": "string", "maxLength": 20, "pattern": LOCALE},
                       "Publisher": TEXT(2, 256), "PackageName": TEXT(2, 256), "License": TEXT(3, 512),
                       "ShortDescription": TEXT(3, 256)}),
    "installer": (["PackageIdentifier", "PackageVersion", "Installers", "ManifestType", "ManifestVersion"],
                  {"Installers": {"type": "array", "minItems": 1, "maxItems": 1024, "items": INSTALLER}}),
}
# What Zindle!'s manifest says beyond the forms, and the file name of each type.
VALUES = {
    "version": ({"DefaultLocale": "en-US"}, f"{IDENTIFIER}.yaml"),
    "defaultLocale": ({"Publisher": "Korvane", "PackageName": "Zindle!", "License": "MIT"}, f"{IDENTIFIER}.locale.en-US.yaml"),
    "installer": ({}, f"{IDENTIFIER}.installer.yaml"),
}


def load(path):
    with open(path, encoding="utf-8") as f:
        return yaml.safe_load(f)


def fields(path, version):
    manifest = load(path)
    if not isinstance(manifest, dict) or manifest.get("ManifestType") not in SCHEMAS:
        return [f"{path}: no manifest of a known type"]
    kind = manifest["ManifestType"]
    required, forms = SCHEMAS[kind]
    schema = {"type": "object", "required": required, "properties": {**COMMON, **forms}}
    problems = [f"{kind}: {'/'.join(map(str, e.path)) or 'manifest'}: {e.message}"
                for e in jsonschema.Draft7Validator(schema).iter_errors(manifest)]
    values, name = VALUES[kind]
    values = {**values, "PackageIdentifier": IDENTIFIER, "PackageVersion": version}
    problems += [f"{kind}: {key} is {manifest.get(key)!r}, not {value!r}" for key, value in values.items()
                 if manifest.get(key) != value]
    if os.path.basename(path) != name:
        problems.append(f"{kind}: the file is named {os.path.basename(path)}, not {name}")
    return problems


def product_code(msi):
    table = subprocess.run(["msiinfo", "export", msi, "Property"], capture_output=True, text=True).stdout
    return dict(line.rstrip("\r").split("\t", 1) for line in table.splitlines() if "\t" in line).get("ProductCode")


def packages(folder, dist, version):
    manifest = load(os.path.join(folder, f"{IDENTIFIER}.installer.yaml"))
    installers = {i.get("Architecture"): i for i in manifest.get("Installers") or []}
    if sorted(installers) != ["x64", "x86"]:
        return [f"installers for {sorted(installers)}, not for x64 and x86"]
    problems = []
    for arch, installer in installers.items():
        msi = os.path.join(dist, f"Zindle-{version}-{arch}.msi")
        with open(msi, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        found = {"InstallerSha256": str(installer.get("InstallerSha256")).lower(),
                 "ProductCode": installer.get("ProductCode"), "InstallerType": installer.get("InstallerType"),
                 "Scope": installer.get("Scope"),
                 "InstallerUrl": os.path.basename(str(installer.get("InstallerUrl")))}
        expected = {"InstallerSha256": digest, "ProductCode": product_code(msi), "InstallerType": "wix",
                    "Scope": "machine", "InstallerUrl": os.path.basename(msi)}
        problems += [f"{arch}: {key} is {found[key]!r}, the package's is {expected[key]!r}"
                     for key in expected if found[key] != expected[key]]
    return problems


if __name__ == "__main__":
    command, *arguments = sys.argv[1:]
    found = fields(*arguments) if command == "fields" else packages(*arguments)
    if found:
        print("\n".join(found))
    sys.exit(1 if found else 0)
