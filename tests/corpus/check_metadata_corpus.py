#!/usr/bin/env python3
"""Checks what the manifest says of the layers besides their pixels against psd-tools, on the
shared PSD corpus: layer ids, the text of type layers, and the placed layers (smart objects).

Every document is converted with --extended --smart-objects --manifest. psd-tools reads the same
document on its own:
- the manifest's layers have the ids psd-tools reads (layer_id), by name;
- every type layer's text is psd-tools' layer.text, and every style's font is among the fonts of
  psd-tools' font set (its resource dictionary's FontSet);
- every file the document embeds ("liFD" records) is written exactly once, byte for byte as
  psd-tools' data of the record, and named by the manifest of every placed layer that shows it;
  every placed layer has a "smartObject" with the id, the original name, whether it is embedded
  and the four corners of its placement block ("Trnf" of "SoLd"/"SoLE", else the transformation
  of "PlLd") that psd-tools reads; the manifest names no other file below smart/.
A document that fails without --smart-objects too, or that psd-tools cannot open, is left out.
Passes with a notice when the corpus or psd-tools is not there.
Usage: check_metadata_corpus.py --cli QUILLCONV_CLI --corpus DIR"""
import argparse
import csv
import json
import logging
import os
import subprocess
import sys
import tempfile
import warnings

# psd-tools names every block it does not know; that is no concern here.
logging.disable(logging.WARNING)
warnings.simplefilter("ignore")
try:
    from psd_tools import PSDImage
    from psd_tools.constants import Tag
except ImportError:
    PSDImage = None

LINK_TAGS = ("LINKED_LAYER1", "LINKED_LAYER2", "LINKED_LAYER3", "LINKED_LAYER_EXTERNAL")


def expected(path):
    """psd-tools' reading: the embedded files by id, and (id, name, embedded, corners) for each
    placed layer."""
    psd = PSDImage.open(path)
    records = {}
    for name in LINK_TAGS:
        tag = getattr(Tag, name, None)
        if tag is None or tag not in psd.tagged_blocks:
            continue
        for item in psd.tagged_blocks.get_data(tag):
            records.setdefault(item.uuid, item)
    embedded = {uid: bytes(item.data) for uid, item in records.items()
                if item.kind.name == "DATA"}
    placed = []
    for layer in psd.descendants():
        blocks = layer.tagged_blocks
        if blocks is None:
            continue
        corners, uid = None, None
        for tag in (Tag.SMART_OBJECT_LAYER_DATA1, Tag.SMART_OBJECT_LAYER_DATA2):
            if tag in blocks:
                data = blocks.get_data(tag).data
                uid = data[b"Idnt"].value.strip("\x00")
                corners = [float(v) for v in data[b"Trnf"]]
                break
        else:
            for tag in (Tag.PLACED_LAYER1, Tag.PLACED_LAYER2):
                if tag in blocks:
                    data = blocks.get_data(tag)
                    uid = data.uuid
                    corners = [float(v) for v in data.transform]
                    break
        if uid is None:
            continue
        record = records.get(uid)
        name = record.filename.strip("\x00") if record else None
        kind = (record.kind.name == "DATA") if record else None
        placed.append((uid, name, kind, tuple(corners)))
    # A set: psd-tools may list a clipped layer twice.
    layers = sorted({(layer.name, layer.layer_id) for layer in psd.descendants()})
    texts = {}
    for layer in psd.descendants():
        if layer.kind == "type":
            fonts = {str(getattr(font["Name"], "value", font["Name"])).strip("\x00")
                     for font in layer.resource_dict["FontSet"]}
            texts[layer.layer_id] = (layer.text, fonts)
    return embedded, placed, layers, texts


def same_placements(got, placed):
    """Whether the placed layers agree: ids, names, embedding, and corners to the four places
    after the point that the manifest keeps."""
    if len(got) != len(placed):
        return False
    for mine, theirs in zip(sorted(got, key=repr), sorted(placed, key=repr)):
        if mine[:3] != theirs[:3] or any(abs(a - b) > 5e-5 for a, b in zip(mine[3], theirs[3])):
            return False
    return True


def manifest_nodes(nodes):
    for node in nodes:
        yield node
        yield from manifest_nodes(node.get("children", []))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus", required=True)
    args = parser.parse_args()
    index = os.path.join(args.corpus, "INDEX.tsv")
    if not os.path.isfile(index):
        print(f"no corpus at {args.corpus}: the metadata check is skipped")
        return 0
    if PSDImage is None:
        print("psd-tools is not installed: the metadata check is skipped")
        return 0
    failures, documents, files, layers, unread, type_layers = [], 0, 0, 0, 0, 0
    for row in csv.DictReader(open(index, encoding="utf-8"), delimiter="\t"):
        path = os.path.join(args.corpus, row["file"])
        name = os.path.splitext(os.path.basename(path))[0]
        try:
            embedded, placed, ids, texts = expected(path)
        except Exception:  # psd-tools cannot read it: nothing to compare with
            unread += 1
            continue
        with tempfile.TemporaryDirectory() as folder:
            command = [args.cli, "-q", "--extended", "--smart-objects", "--manifest", "-o",
                       folder, path]
            if subprocess.run(command, capture_output=True, check=False).returncode:
                plain = [args.cli, "-q", "--extended", "--manifest", "-o", folder, path]
                if subprocess.run(plain, capture_output=True, check=False).returncode == 0:
                    failures.append(f"{row['file']}: fails with --smart-objects alone")
                continue
            documents += 1
            manifest = json.load(open(os.path.join(folder, name + ".json"), encoding="utf-8"))
            problems = []
            written = {}
            for root, _, names in os.walk(os.path.join(folder, name, "smart")):
                for file in names:
                    full = os.path.join(root, file)
                    written[os.path.relpath(full, folder).replace(os.sep, "/")] = full
            named = {}
            got = []
            nodes = list(manifest_nodes(manifest["layers"]))
            manifest_ids = sorted({(node["name"], -1 if node["id"] is None else node["id"])
                                   for node in nodes})
            if manifest_ids != ids:
                problems.append(f"layer ids {manifest_ids}, psd-tools {ids}")
            for node in nodes:
                if node["kind"] != "type":
                    continue
                text, fonts = texts.get(node["id"], (None, set()))
                if not node.get("text") or node["text"]["text"] != text:
                    problems.append(f"{node['name']!r}: text {node.get('text')!r}, psd-tools "
                                    f"{text!r}")
                    continue
                type_layers += 1
                strange = {style["font"] for style in node["text"]["styles"]} - fonts
                if strange:
                    problems.append(f"{node['name']!r}: fonts {sorted(strange)} not in {fonts}")
            for node in nodes:
                smart = node.get("smartObject")
                if "smartObject" in node and smart is None:
                    problems.append(f"{node['name']!r}: smartObject is null")
                if not smart:
                    continue
                got.append((smart["id"], smart["name"], smart["embedded"],
                            tuple(float(v) for v in smart["corners"])))
                if smart["file"] is not None:
                    named.setdefault(smart["id"], set()).add(smart["file"])
            if not same_placements(got, placed):
                problems.append(f"placed layers {sorted(got, key=repr)}, psd-tools "
                                f"{sorted(placed, key=repr)}")
            layers += len(got)
            placed_ids = {uid for uid, _, _, _ in placed}
            for uid, data in embedded.items():
                paths = named.get(uid, set())
                if uid in placed_ids and len(paths) != 1:
                    problems.append(f"{uid}: named as {sorted(paths)}")
                    continue
                matches = [p for p, full in written.items() if open(full, "rb").read() == data]
                if len(matches) != 1 or (paths and matches[0] not in paths):
                    problems.append(f"{uid}: {len(data)} bytes written as {matches}")
                files += 1
            if len(written) != len(embedded):
                problems.append(f"{len(written)} files written, {len(embedded)} embedded")
            failures += [f"{row['file']}: {problem}" for problem in problems]
    print(f"{documents} documents: layer ids, {type_layers} type layers, {files} embedded files "
          f"and {layers} placed layers compared with psd-tools ({unread} documents psd-tools "
          "cannot read)")
    for failure in failures:
        print(failure)
    return 1 if failures or documents == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
