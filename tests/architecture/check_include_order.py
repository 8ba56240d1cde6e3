#!/usr/bin/env python3
"""Checks that includes run one way: no circle between the folders of sdk/src and app, and none
between the files of one folder of app. A header and the files named after it (X.h, X.cpp,
X_posix.cpp, X_win32.cpp, and XImpl.h, the declaration of its hidden side) count as one unit.
(Within an sdk folder, readers and the dispatch that picks them, or a stream and its platform
handle, are allowed to know each other; the folders' libraries keep the sdk's direction.)
Prints each circle found; the exit status is 1 when there is one.
Usage: check_include_order.py SOURCE_ROOT"""
import re
import sys
from pathlib import Path

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def unit_of(path):
    stem = path.stem
    for suffix in ("_posix", "_win32", "Impl"):
        if stem.endswith(suffix):
            stem = stem[: -len(suffix)]
    return f"{path.parent.name}/{stem}"


def find_circle(graph):
    """One circle of the directed graph as a list of nodes, or None."""
    state = {}
    stack = []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "open":
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def main():
    root = Path(sys.argv[1])
    folders = [p for base in ("sdk/src", "app") for p in sorted((root / base).iterdir()) if p.is_dir()]
    units = {}  # unit -> set of units it includes
    folder_graph = {}
    for folder in folders:
        for source in folder.iterdir():
            if source.suffix not in (".h", ".cpp"):
                continue
            unit = unit_of(source)
            units.setdefault(unit, set())
            for included in INCLUDE.findall(source.read_text(encoding="utf-8")):
                if "/" not in included:
                    continue
                target = unit_of(Path(included))
                if target != unit:
                    units[unit].add(target)
                if Path(included).parent.name != folder.name:
                    folder_graph.setdefault(folder.name, set()).add(Path(included).parent.name)
    circles = []
    circle = find_circle(folder_graph)
    if circle:
        circles.append("folders: " + " -> ".join(circle))
    for folder in (f for f in folders if f.parent.name == "app"):
        inner = {u: {t for t in ts if t.startswith(folder.name + "/")}
                 for u, ts in units.items() if u.startswith(folder.name + "/")}
        circle = find_circle(inner)
        if circle:
            circles.append("files: " + " -> ".join(circle))
    for line in circles:
        print("include circle:", line)
    return 1 if circles else 0


if __name__ == "__main__":
    sys.exit(main())
