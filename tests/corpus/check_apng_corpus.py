#!/usr/bin/env python3
"""Checks the animated PNGs of the shared PSD corpus.

Every document is converted with --extended --psd-apng --psd-layers --trim (the layer PNGs cut
to the canvas, one per frame), as the layers are stored and as shown (--as-shown), and once
more with one encoder (-j1, the frames written straight into the APNG instead of made apart):
the bytes must not change. Each APNG must pass pngcheck, follow the APNG rules (acTL before the
image data and counting the frames, sequence numbers from 0 without a gap, the first frame
covering the canvas, every frame inside it, dispose to background, blend by source, the delay
and play count asked for), and decode in Pillow frame by frame to the layer PNGs. A document
that fails without --psd-apng too is left out. Passes with a notice when the corpus, Pillow or
pngcheck is not there.
Usage: check_apng_corpus.py --cli QUILLCONV_CLI --corpus DIR"""
import argparse
import csv
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

VARIANTS = {
    "stored": ["--fps=25", "--mng-loop"],
    "as shown": ["--as-shown"],
}


def chunks(data):
    at = 8
    while at + 12 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        crc = struct.unpack(">I", data[at + 8 + length:at + 12 + length])[0]
        yield kind.decode("latin-1"), body, crc == zlib.crc32(data[at + 4:at + 8 + length])
        at += 12 + length


def structure_problems(data, plays, delay):
    """What breaks the APNG rules; [] for none. Also the frame count."""
    problems, controls, sequence, frames_announced, seen_data = [], [], 0, None, False
    listed = list(chunks(data))
    if data[:8] != b"\x89PNG\r\n\x1a\n" or not listed or listed[0][0] != "IHDR":
        return ["no PNG signature and header"], 0
    width, height = struct.unpack(">II", listed[0][1][:8])
    for kind, body, crc_ok in listed:
        if not crc_ok:
            problems.append(f"{kind}: bad CRC")
        if kind == "acTL":
            if seen_data or controls:
                problems.append("acTL after the image data")
            frames_announced, announced_plays = struct.unpack(">II", body)
            if announced_plays != plays:
                problems.append(f"plays {announced_plays}, not {plays}")
        elif kind in ("fcTL", "fdAT"):
            if struct.unpack(">I", body[:4])[0] != sequence:
                problems.append(f"{kind}: sequence number {struct.unpack('>I', body[:4])[0]}, not {sequence}")
            sequence += 1
        if kind == "fcTL":
            w, h, x, y, num, den, dispose, blend = struct.unpack(">IIIIHHBB", body[4:26])
            controls.append((x, y, w, h))
            if not (w >= 1 and h >= 1 and x + w <= width and y + h <= height):
                problems.append(f"frame {len(controls) - 1} outside the canvas: {(x, y, w, h)}")
            if (num, den) != delay or dispose != 1 or blend != 0:
                problems.append(f"frame {len(controls) - 1}: delay {num}/{den}, dispose {dispose}, blend {blend}")
        elif kind == "IDAT":
            if not seen_data and (len(controls) != 1 or controls[0] != (0, 0, width, height)):
                problems.append("the default image is not the first frame over the canvas")
            seen_data = True
    if frames_announced != len(controls):
        problems.append(f"acTL says {frames_announced} frames, {len(controls)} are there")
    if listed[-1][0] != "IEND":
        problems.append("no IEND at the end")
    return problems, len(controls)


def frame_problems(path, pngs, numpy, image_module):
    animation = image_module.open(path)
    if getattr(animation, "n_frames", 1) != len(pngs):
        return [f"{getattr(animation, 'n_frames', 1)} frames for {len(pngs)} layer PNGs"]
    for k, png in enumerate(pngs):
        animation.seek(k)
        frame = numpy.asarray(animation)
        layer = numpy.asarray(image_module.open(png))
        if frame.shape != layer.shape or (frame != layer).any():
            return [f"frame {k} is not {os.path.basename(png)}"]
    return []


def convert(cli, path, folder, extra):
    command = [cli, "-q", "--like-window", "--extended", *extra, "-o", folder, path]
    return subprocess.run(command, capture_output=True, check=False).returncode


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus", required=True)
    args = parser.parse_args()
    index = os.path.join(args.corpus, "INDEX.tsv")
    if not os.path.isfile(index):
        print(f"no corpus at {args.corpus}: the APNG check is skipped")
        return 0
    try:
        import numpy
        from PIL import Image
    except ImportError:
        print("Pillow or numpy is not installed: the APNG check is skipped")
        return 0
    if shutil.which("pngcheck") is None:
        print("pngcheck is not installed: the APNG check is skipped")
        return 0
    failures, checked, frames = [], 0, 0
    for row in csv.DictReader(open(index, encoding="utf-8"), delimiter="\t"):
        path = os.path.join(args.corpus, row["file"])
        name = os.path.splitext(os.path.basename(path))[0]
        with tempfile.TemporaryDirectory() as scratch:
            if convert(args.cli, path, os.path.join(scratch, "plain"), ["--psd-layers"]):
                continue  # the document fails without the APNG too
            for variant, extra in VARIANTS.items():
                folder = os.path.join(scratch, variant.replace(" ", "-"))
                options = ["--psd-apng", "--psd-layers", "--trim", "--naming=folder-serial", *extra]
                if convert(args.cli, path, folder, ["-j4", *options]):
                    failures.append(f"{row['file']} ({variant}): the conversion failed")
                    continue
                apng = os.path.join(folder, name + ".apng")
                layer_folder = os.path.join(folder, name)
                pngs = sorted(os.path.join(layer_folder, f) for f in os.listdir(layer_folder)) \
                    if os.path.isdir(layer_folder) else []
                if not pngs:
                    if os.path.exists(apng):
                        failures.append(f"{row['file']} ({variant}): an APNG without frames")
                    continue
                data = open(apng, "rb").read()
                problems, count = structure_problems(
                    data, 0 if "--mng-loop" in extra else 1, (1, 25) if "--fps=25" in extra else (0, 1))
                check = subprocess.run(["pngcheck", "-q", apng], capture_output=True, text=True)
                if check.returncode != 0:
                    problems.append("pngcheck: " + check.stdout.strip())
                problems += frame_problems(apng, pngs, numpy, Image)
                one = os.path.join(scratch, "one-encoder")
                if convert(args.cli, path, one, ["-j1", *options]) or \
                        open(os.path.join(one, name + ".apng"), "rb").read() != data:
                    problems.append("one encoder writes other bytes")
                shutil.rmtree(one, ignore_errors=True)
                checked += 1
                frames += count
                failures += [f"{row['file']} ({variant}): {problem}" for problem in problems]
    print(f"{checked} animated PNGs checked, {frames} frames")
    for failure in failures:
        print(failure)
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
