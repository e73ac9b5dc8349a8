#!/usr/bin/env python3
"""Checks that dependencies between the folders of src/ only run downwards.

The order of the folders is the order of add_subdirectory in
src/CMakeLists.txt: a folder may include its own headers and those of the
folders listed before it, never those listed after it. The windows of one
floor (the folders marked "# floor: windows" there) include none of each
other's headers either.

Given a build folder as well, the same rules are checked on the CMake target
graph, as CMake's file API describes it (the build asks for the codemodel
reply when it is configured; a build configured before the query was there is
configured once more with the CMake given, which writes it): every library lh_NAME of a folder may link only
libraries of the folders before it, and none of its floor.

Usage: check_layers.py SOURCE_DIR [BUILD_DIR [CMAKE]]"""
import json
import pathlib
import re
import subprocess
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
build = pathlib.Path(sys.argv[2]).resolve() if len(sys.argv) > 2 else None
cmake = sys.argv[3] if len(sys.argv) > 3 else None
src = root / "src"
listing = (src / "CMakeLists.txt").read_text()
order = re.findall(r"^add_subdirectory\((\w+)\)", listing, re.M)
rank = {name: i for i, name in enumerate(order)}
floor = set(re.findall(r"^add_subdirectory\((\w+)\).*#\s*floor: windows", listing, re.M))
faults = []


def allowed(folder, other):
    """May `folder` use `other`?"""
    if other == folder:
        return True
    if folder in floor and other in floor:
        return False
    return rank[other] < rank[folder]


include = re.compile(r'^\s*#\s*include\s+"(\w+)/')
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp") or not path.is_file():
        continue
    folder = path.relative_to(src).parts[0]
    if folder not in rank:
        faults.append(f"{path.relative_to(root)}: folder {folder} is not in src/CMakeLists.txt")
        continue
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        m = include.match(line)
        if m and m.group(1) in rank and not allowed(folder, m.group(1)):
            faults.append(f"{path.relative_to(root)}:{number}: {folder} includes {m.group(1)}, "
                          + ("a window of its floor" if m.group(1) in floor and folder in floor else "a folder above it"))

links = 0
if build is not None:
    reply = build / ".cmake" / "api" / "v1" / "reply"
    indexes = sorted(reply.glob("index-*.json"))
    if not indexes and cmake is not None:
        # CMake reads its queries before it configures: the first configure
        # of a build wrote the query but answered none. Configuring again
        # writes the reply.
        run = subprocess.run([cmake, str(build)], capture_output=True, text=True)
        if run.returncode != 0:
            faults.append(f"{build}: configuring again for the file API reply failed:\n{run.stdout}{run.stderr}")
        indexes = sorted(reply.glob("index-*.json"))
    if not indexes:
        faults.append(f"{reply}: no CMake file API reply (configure the build again)")
    else:
        index = json.loads(indexes[-1].read_text())
        model = json.loads((reply / index["reply"]["codemodel-v2"]["jsonFile"]).read_text())
        targets = {}
        for entry in model["configurations"][0]["targets"]:
            targets[entry["id"]] = json.loads((reply / entry["jsonFile"]).read_text())
        names = {tid: t["name"] for tid, t in targets.items()}
        for t in targets.values():
            m = re.fullmatch(r"lh_(\w+)", t["name"])
            if not m or m.group(1) not in rank:
                continue
            folder = m.group(1)
            for dep in t.get("dependencies", []):
                d = re.fullmatch(r"lh_(\w+)", names.get(dep["id"], ""))
                if not d or d.group(1) not in rank:
                    continue
                links += 1
                if not allowed(folder, d.group(1)):
                    faults.append(f"target lh_{folder} links lh_{d.group(1)}, "
                                  + ("a window of its floor" if folder in floor and d.group(1) in floor
                                     else "a folder above it"))

for fault in faults:
    print(fault)
print(f"layers: {len(order)} folders, {len(faults)} faults"
      + (f", {links} links between folder libraries checked" if build is not None else ""))
sys.exit(1 if faults else 0)
