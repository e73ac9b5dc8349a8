#!/usr/bin/env python3
"""Checks that includes between the folders of src/ only run downwards.

The order of the folders is the order of add_subdirectory in
src/CMakeLists.txt: a folder may include its own headers and those of the
folders listed before it, never those listed after it."""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
src = root / "src"
order = re.findall(r"^add_subdirectory\((\w+)\)", (src / "CMakeLists.txt").read_text(), re.M)
rank = {name: i for i, name in enumerate(order)}
include = re.compile(r'^\s*#\s*include\s+"(\w+)/')
faults = []
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp") or not path.is_file():
        continue
    folder = path.relative_to(src).parts[0]
    if folder not in rank:
        faults.append(f"{path.relative_to(root)}: folder {folder} is not in src/CMakeLists.txt")
        continue
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        m = include.match(line)
        if m and m.group(1) in rank and rank[m.group(1)] > rank[folder]:
            faults.append(f"{path.relative_to(root)}:{number}: {folder} includes {m.group(1)}, a folder above it")
for fault in faults:
    print(fault)
print(f"layers: {len(order)} folders, {len(faults)} upward includes")
sys.exit(1 if faults else 0)
