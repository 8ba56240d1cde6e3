#!/usr/bin/env python3
"""Checks the layer manifests and the group layouts of the layer PNGs on the shared PSD corpus.

Every document is converted with --extended --psd-layers --png-offset --manifest under each
group layout (flat with --skip-empty-layers, folders, images, and images with --skip-hidden),
each into a folder of its own. A document must convert under every layout unless it also fails
without them. Each manifest must parse with Python's json module and have the layout's keys;
every node's file must be a PNG that was written, of the node's rectangle (its size, and its
offset in the oFFs chunk); every PNG written must be some node's file; with --skip-hidden no
hidden node, nor any node inside a hidden group, has a file; every layer comp listed has its
keys. Passes with a notice when the corpus is not there.
Usage: check_manifest_corpus.py --cli QUILLCONV_CLI --corpus DIR"""
import argparse
import csv
import json
import os
import struct
import subprocess
import sys
import tempfile

LAYOUTS = {
    "flat": ["--groups=flat"],
    "folders": ["--groups=folders"],
    "images": ["--groups=images"],
    "images, hidden skipped": ["--groups=images", "--skip-hidden"],
}
DOCUMENT_KEYS = {"version", "width", "height", "colorMode", "depth", "colorOutput", "comps",
                 "layers"}
COMP_KEYS = {"name", "id", "visibility", "position", "appearance", "applied"}
NODE_KEYS = {"name", "kind", "visible", "opacity", "fillOpacity", "blendMode", "clipping", "mask",
             "vectorMask", "rect", "file"}
KINDS = {"pixel", "type", "shape", "smartObject", "fill", "adjustment", "group"}


def png_geometry(path):
    """Width, height and the oFFs offset (0, 0 without one) of a PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    width, height = struct.unpack(">II", data[16:24])
    x = y = 0
    at = 8
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        if kind == b"oFFs":
            x, y = struct.unpack(">ii", data[at + 8:at + 16])
        at += 12 + length
    return width, height, x, y


def check_nodes(nodes, folder, hidden_skipped, problems, files, inside_hidden=False):
    for node in nodes:
        missing = NODE_KEYS - node.keys()
        if missing:
            problems.append(f"node without {sorted(missing)}")
            continue
        if node["kind"] not in KINDS:
            problems.append(f"unknown kind {node['kind']}")
        hidden = inside_hidden or not node["visible"]
        if node["file"] is not None:
            files.add(node["file"])
            path = os.path.join(folder, node["file"])
            rect = node["rect"]
            if hidden and hidden_skipped:
                problems.append(f"hidden node {node['name']!r} has a file")
            if not os.path.isfile(path):
                problems.append(f"{node['file']} was not written")
            elif png_geometry(path) != (rect["width"], rect["height"], rect["x"], rect["y"]):
                problems.append(f"{node['file']} is {png_geometry(path)}, its node {rect}")
        if (node["kind"] == "group") != ("children" in node):
            problems.append(f"{node['name']!r}: children and kind disagree")
        check_nodes(node.get("children", []), folder, hidden_skipped, problems, files, hidden)


def convert(cli, path, folder, extra):
    command = [cli, "-q", "--extended", "--psd-layers", "--png-offset", *extra, "-o", folder, path]
    return subprocess.run(command, capture_output=True, check=False).returncode


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus", required=True)
    args = parser.parse_args()
    index = os.path.join(args.corpus, "INDEX.tsv")
    if not os.path.isfile(index):
        print(f"no corpus at {args.corpus}: the manifest check is skipped")
        return 0
    failures, manifests, grouped = [], 0, 0
    for row in csv.DictReader(open(index, encoding="utf-8"), delimiter="\t"):
        path = os.path.join(args.corpus, row["file"])
        name = os.path.splitext(os.path.basename(path))[0]
        with tempfile.TemporaryDirectory() as scratch:
            if convert(args.cli, path, os.path.join(scratch, "plain"), ["--skip-empty-layers"]):
                continue  # the document fails without the new options too
            for layout, extra in LAYOUTS.items():
                folder = os.path.join(scratch, layout.replace(", ", "-"))
                if convert(args.cli, path, folder, [*extra, "--manifest"]):
                    failures.append(f"{row['file']} ({layout}): the conversion failed")
                    continue
                try:
                    manifest = json.load(open(os.path.join(folder, name + ".json"), encoding="utf-8"))
                except (OSError, ValueError) as error:
                    failures.append(f"{row['file']} ({layout}): {error}")
                    continue
                manifests += 1
                problems, files = [], set()
                # The colour profile is named when the document has one.
                if (manifest.keys() - {"colorProfile"} != DOCUMENT_KEYS or manifest["version"] != 1
                        or manifest.get("colorOutput") not in ("srgb", "keep", "none")):
                    problems.append(f"document keys {sorted(manifest.keys())}")
                # Every comp with its keys (a comment only when it has one), none applied.
                for comp in manifest.get("comps", []):
                    if comp.keys() - {"comment"} != COMP_KEYS or comp["applied"]:
                        problems.append(f"comp keys {sorted(comp.keys())}")
                check_nodes(manifest.get("layers", []), folder, "--skip-hidden" in extra,
                            problems, files)
                grouped += layout == "flat" and any(n["kind"] == "group" for n in manifest["layers"])
                written = {os.path.relpath(os.path.join(root, file), folder).replace(os.sep, "/")
                           for root, _, names in os.walk(folder) for file in names
                           if file.endswith(".png")}
                if written != files:
                    problems.append(f"files written but in no node: {sorted(written - files)[:3]}"
                                    f", in a node but not written: {sorted(files - written)[:3]}")
                failures += [f"{row['file']} ({layout}): {problem}" for problem in problems]
    print(f"{manifests} manifests checked, {grouped} documents with groups")
    for failure in failures:
        print(failure)
    return 1 if failures or manifests == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
