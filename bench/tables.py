#!/usr/bin/env python3
"""Turns the figures of build/bench-results.txt into one Markdown table per
section, a column per screen size, as docs/performance.md shows them.
usage: bench/tables.py [RESULTS] [SECTION...]"""
import re
import sys
from collections import OrderedDict

path = sys.argv[1] if len(sys.argv) > 1 else "build/bench-results.txt"
wanted = set(sys.argv[2:])
line = re.compile(r"^(\d+x\d+)\s+(\w+)\s+(.*?)\s{2,}(-?[\d.]+) (\S+)(?: median, worst ([\d.]+))?")
sections = OrderedDict()
sizes = []
for text in open(path, encoding="utf-8", errors="replace"):
    m = line.match(text)
    if not m:
        continue
    size, section, figure, value, unit, worst = m.groups()
    if wanted and section not in wanted:
        continue
    if size not in sizes:
        sizes.append(size)
    rows = sections.setdefault(section, OrderedDict())
    shown = f"{float(value):.3g}" if abs(float(value)) < 1000 else f"{float(value):.0f}"
    if worst:
        shown += f" (worst {float(worst):.3g})"
    rows.setdefault((figure, unit), {})[size] = shown

for section, rows in sections.items():
    print(f"### `{section}`\n")
    print("| figure | unit | " + " | ".join(sizes) + " |")
    print("|---|---|" + "---|" * len(sizes))
    for (figure, unit), values in rows.items():
        print(f"| {figure} | {unit} | " + " | ".join(values.get(s, "") for s in sizes) + " |")
    print()
