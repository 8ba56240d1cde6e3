#!/usr/bin/env python3
"""Checks that includes run one way.

Every folder of sdk/src and app that holds sources is a unit, subfolders too ("graphic",
"graphic/psd", "conversion/output"). Each folder of the sdk is a library of its own, so no two of
them may include each other, however roundabout: a format's folder uses the shared folder above
it, and an include back from the shared folder, or between two formats that already meet, is a
circle. An app folder with its subfolders is one library ("conversion" and its rooms): its top
holds what its rooms share and the code that picks among them, so the top and a room may include
each other, but two rooms of one folder may not, and neither may the files of the library. The
sdk never includes the app.

A header and the files named after it (X.h, X.cpp, X_posix.cpp, X_win32.cpp, and XImpl.h, the
declaration of its hidden side) count as one file unit. (Within an sdk folder, a class and the
files it is split into, or a stream and its platform handle, are allowed to know each other.)
Prints each circle found; the exit status is 1 when there is one.
Usage: check_include_order.py SOURCE_ROOT"""
import re
import sys
from pathlib import Path, PurePosixPath

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
BASES = ("sdk/src", "app")


def unit_of(folder, stem):
    for suffix in ("_posix", "_win32", "Impl"):
        if stem.endswith(suffix):
            stem = stem[: -len(suffix)]
    return f"{folder}/{stem}"


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


def library_of(base, folder):
    """The library a folder's files belong to: the folder itself in the sdk, the top folder in
    the app."""
    return folder if base == "sdk/src" else folder.split("/")[0]


def main():
    root = Path(sys.argv[1])
    folders = {}  # folder name -> base
    sources = []  # (base, folder, path)
    for base in BASES:
        for source in sorted((root / base).rglob("*")):
            if source.suffix in (".h", ".cpp") and source.is_file():
                folder = source.parent.relative_to(root / base).as_posix()
                folders[folder] = base
                sources.append((base, folder, source))

    units = {}  # file unit -> file units it includes
    folder_graph = {}  # folder -> folders it includes
    problems = []
    for base, folder, source in sources:
        unit = unit_of(folder, source.stem)
        units.setdefault(unit, set())
        for included in INCLUDE.findall(source.read_text(encoding="utf-8")):
            path = PurePosixPath(included)
            target_folder = path.parent.as_posix()
            if target_folder not in folders:
                continue  # a system header, or one of the build's own
            if base == "sdk/src" and folders[target_folder] == "app":
                problems.append(f"the sdk includes the app: {source.relative_to(root)} -> {included}")
            target = unit_of(target_folder, path.stem)
            if target != unit:
                units[unit].add(target)
            if target_folder != folder:
                folder_graph.setdefault(folder, set()).add(target_folder)

    # Libraries: the folder graph with each app folder's rooms taken together.
    library_graph = {}
    for folder, targets in folder_graph.items():
        library = library_of(folders[folder], folder)
        for target in targets:
            other = library_of(folders[target], target)
            if other != library:
                library_graph.setdefault(library, set()).add(other)
    circle = find_circle(library_graph)
    if circle:
        problems.append("include circle: libraries: " + " -> ".join(circle))

    # The rooms of an app folder, among themselves, and the files of each app library.
    for top in sorted(f for f, base in folders.items() if base == "app" and "/" not in f):
        rooms = {f: {t for t in ts if t.startswith(top + "/")}
                 for f, ts in folder_graph.items() if f.startswith(top + "/")}
        circle = find_circle(rooms)
        if circle:
            problems.append("include circle: rooms: " + " -> ".join(circle))
        inside = lambda u: u.startswith(top + "/")
        files = {u: {t for t in ts if inside(t)} for u, ts in units.items() if inside(u)}
        circle = find_circle(files)
        if circle:
            problems.append("include circle: files: " + " -> ".join(circle))

    for line in problems:
        print(line)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
