#!/usr/bin/env python3
"""Fails when a project #include goes against the layers.

Each folder is one library. A file may include headers of its own folder and
of the folders that its folder is allowed to reach below; nothing else. Tests,
benchmarks and fuzz targets may include the layer they exercise and what lies
below it, plus their own helpers.

Usage: check_layers.py [ROOT]
"""
import os
import re
import sys

# Folder -> the folders directly below it. Reachability is transitive.
ALLOWED = {
    "base": [],
    "service/registry": ["soap/xml", "base"],
    "soap/xml": ["base"],
    "soap": ["soap/xml", "service/registry"],
    "invoice": ["service/registry"],
    "fatturapa": ["invoice", "soap/xml", "service/registry"],
    "transport": ["soap", "service/registry"],
    "service": ["transport", "invoice", "soap"],
    "cli": ["service", "fatturapa"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def below(folder):
    seen, todo = set(), [folder]
    while todo:
        f = todo.pop()
        if f in seen:
            continue
        seen.add(f)
        todo.extend(ALLOWED[f])
    return seen


def folder_of(path):
    """The library folder of a project path: the longest known prefix."""
    d = os.path.dirname(path)
    best = None
    for f in ALLOWED:
        if d == f or d.startswith(f + "/"):
            if best is None or len(f) > len(best):
                best = f
    return best


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    errors = []
    for top in list(ALLOWED) + ["tests", "bench", "fuzz", "examples"]:
        for dirpath, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                if not name.endswith((".h", ".cc")):
                    continue
                path = os.path.relpath(os.path.join(dirpath, name), root)
                if top in ("tests", "bench", "fuzz", "examples"):
                    # A test of folder X reaches X and below; bench, fuzz and
                    # examples stand on top of everything.
                    sub = os.path.dirname(os.path.relpath(path, "tests")) \
                        if top == "tests" else "cli"
                    own = sub if sub in ALLOWED else "cli"
                    reach = below(own) | {top}
                else:
                    own = folder_of(path)
                    if own is None:
                        continue
                    reach = below(own)
                with open(os.path.join(root, path), encoding="utf-8") as f:
                    for lineno, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = m.group(1)
                        if top == "tests" and target.startswith("tests/"):
                            continue
                        tf = folder_of(target)
                        if tf is None or tf not in reach:
                            errors.append(f"{path}:{lineno}: includes \"{target}\" "
                                          f"({tf or 'unknown folder'}), which "
                                          f"{own} may not reach")
    for e in errors:
        print(e)
    if errors:
        print(f"layer check: {len(errors)} include(s) against the layers")
        return 1
    print("layer check: every include goes downward")
    return 0


if __name__ == "__main__":
    sys.exit(main())
