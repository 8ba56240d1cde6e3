#!/usr/bin/env python3
"""Checks the colours of the merged images of the shared PSD corpus against the editor's own.

Every document the editor saves keeps a small JPEG preview (image resource 1036) that the editor
drew through its colour management into sRGB. Each document's merged PNG, made with the command
line's default colours and with --color=none (the numbers as decoded), is laid on white, scaled
to the preview's size (Lanczos) and encoded as JPEG with the preview's own quantisation tables
and subsampling, so that both carry the same coding noise; the mean difference per sample
from the preview is then measured (for one-channel documents at the best of the shifts by a
pixel, since their previews lie a pixel off).

- A document whose colours are managed by default (its PNG is marked sRGB or carries a profile:
  CMYK, gray with a profile that is not gamma 2.2, RGB of another profile than sRGB) must lie
  within LIMIT of its preview and no farther from it than the numbers as decoded. LIMIT is the noise
  floor of the measure: plain sRGB documents of the same content (the posterized and curved
  photographs of adjustments/) measure up to 6.1.
- Every other document's PNG is the same file with --color=none: no document gets worse.
- Marked PNGs pass pngcheck, and ImageMagick reads their rendering intent or profile; with
  --color=keep a profiled gray document's PNG carries its profile (iCCP) and ImageMagick reads it.

- With --depth=16, the merged PNG of every 16- and 32-bit document is a 16-bit PNG (ImageMagick
  reads its depth as 16) that passes pngcheck, and its samples over 257, weighed by alpha, lie
  within two levels of the 8-bit PNG's on average (8-bit Lab rounds a and b to whole units).

Passes with a notice when the corpus, Pillow, numpy, pngcheck or ImageMagick is not there.
Usage: check_color_corpus.py --cli QUILLCONV_CLI --corpus DIR"""
import argparse
import glob
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile

LIMIT = 6.5


def preview(path):
    """The JPEG bytes of the document's preview, or None."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"8BPS" or len(data) < 34:
        return None
    at = 26
    at += 4 + struct.unpack(">I", data[at:at + 4])[0]  # colour mode data
    end = at + 4 + struct.unpack(">I", data[at:at + 4])[0]
    at += 4
    while at + 12 <= end and data[at:at + 4] == b"8BIM":
        rid = struct.unpack(">H", data[at + 4:at + 6])[0]
        at += 6 + (data[at + 6] + 2) // 2 * 2
        size = struct.unpack(">I", data[at:at + 4])[0]
        at += 4
        if rid == 1036 and size > 28:
            return data[at + 28:at + size]
        at += (size + 1) // 2 * 2
    return None


def difference(png, jpeg):
    from PIL import Image, JpegImagePlugin
    import numpy as np
    shown = Image.open(io.BytesIO(jpeg))
    ours = Image.open(png)
    one_channel = ours.mode in ("L", "LA")
    ours = ours.convert("RGBA")
    white = Image.new("RGBA", ours.size, (255, 255, 255, 255))
    white.alpha_composite(ours)
    scaled = white.convert("RGB").resize(shown.size, Image.LANCZOS)
    coded = io.BytesIO()
    scaled.save(coded, "JPEG", qtables=shown.quantization,
                subsampling=JpegImagePlugin.get_sampling(shown))
    a = np.asarray(Image.open(io.BytesIO(coded.getvalue())).convert("RGB")).astype(int)
    b = np.asarray(shown.convert("RGB")).astype(int)
    shifts = [(0, 0)] + ([(1, 0), (0, 1), (1, 1), (-1, 0), (0, -1), (-1, -1), (1, -1), (-1, 1)]
                         if one_channel else [])
    best = None
    for dy, dx in shifts:
        part_a = a[max(dy, 0):a.shape[0] + min(dy, 0), max(dx, 0):a.shape[1] + min(dx, 0)]
        part_b = b[max(-dy, 0):b.shape[0] + min(-dy, 0), max(-dx, 0):b.shape[1] + min(-dx, 0)]
        mean = float(abs(part_a - part_b).mean())
        best = mean if best is None else min(best, mean)
    return best


def chunk_types(path):
    with open(path, "rb") as f:
        data = f.read()
    at, types = 8, []
    while at + 12 <= len(data):
        length = struct.unpack(">I", data[at:at + 4])[0]
        types.append(data[at + 4:at + 8].decode("latin-1"))
        at += 12 + length
    return types


def depth_of(path):
    with open(path, "rb") as f:
        header = f.read(26)
    return struct.unpack(">H", header[22:24])[0] if header[:4] == b"8BPS" else 0


def samples(png, depth):
    """The samples of a PNG as RGBA at depth, read by ImageMagick, scaled to 0..255."""
    import numpy as np
    raw = subprocess.run(["convert", png, "-depth", str(depth), "-endian", "MSB", "rgba:-"],
                         capture_output=True).stdout
    return np.frombuffer(raw, dtype=np.uint8 if depth == 8 else ">u2").astype(float) / (
        1 if depth == 8 else 257)


def deep_problems(deep, shallow):
    if not deep:
        return ["--depth=16 wrote no PNG"]
    problems = []
    bits = subprocess.run(["identify", "-format", "%z", deep], capture_output=True, text=True)
    if bits.stdout.strip() != "16":
        problems.append(f"--depth=16 gave a PNG of depth {bits.stdout.strip()}")
    if subprocess.run(["pngcheck", "-q", deep], capture_output=True).returncode != 0:
        problems.append("the 16-bit PNG fails pngcheck")
    # Colour weighed by alpha, where the matte taken out of the 8-bit image magnifies its
    # rounding; the mean, where 8-bit Lab's rounding shows near black.
    wide, narrow = samples(deep, 16), samples(shallow, 8)
    if wide.shape != narrow.shape:
        problems.append("the 16-bit PNG is not of the 8-bit PNG's size")
    elif len(wide):
        weigh = lambda rgba: (rgba.reshape(-1, 4)[:, :3] * rgba.reshape(-1, 4)[:, 3:] / 255)
        mean = float(abs(weigh(wide) - weigh(narrow)).mean())
        if mean > 2:
            problems.append(f"the 16-bit samples lie {mean:.2f} levels from the 8-bit PNG's")
    return problems


def convert(cli, document, folder, *options):
    os.makedirs(folder, exist_ok=True)
    subprocess.run([cli, "--psd-png", "--flat", "-q", "-o", folder, *options, document],
                   capture_output=True)
    pngs = glob.glob(os.path.join(folder, "*.png"))
    return pngs[0] if pngs else None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus", required=True)
    args = parser.parse_args()
    try:
        import numpy  # noqa: F401
        from PIL import Image  # noqa: F401
    except ImportError:
        print("notice: Pillow or numpy is missing; the colour check is skipped")
        return 0
    if not os.path.isdir(args.corpus):
        print(f"notice: no corpus at {args.corpus}; the colour check is skipped")
        return 0
    tools = shutil.which("pngcheck") and shutil.which("identify")
    if not tools:
        print("notice: pngcheck or ImageMagick is missing; their part of the check is skipped")

    problems, managed, kept, deep_checked = [], 0, 0, 0
    documents = sorted(glob.glob(os.path.join(args.corpus, "**", "*.ps[db]"), recursive=True))
    with tempfile.TemporaryDirectory() as scratch:
        for number, document in enumerate(documents):
            name = os.path.relpath(document, args.corpus)
            jpeg = preview(document)
            base = os.path.join(scratch, str(number))
            ours = convert(args.cli, document, base + "-auto")
            plain = convert(args.cli, document, base + "-none", "--color=none")
            if not ours or not plain:
                continue  # a document that does not convert is checked elsewhere
            if tools and depth_of(document) >= 16:
                deep = convert(args.cli, document, base + "-deep", "--depth=16")
                problems.extend(f"{name}: {problem}" for problem in deep_problems(deep, ours))
                deep_checked += 1
            marked = {"sRGB", "iCCP"} & set(chunk_types(ours))
            if not marked:
                with open(ours, "rb") as a, open(plain, "rb") as b:
                    if a.read() != b.read():
                        problems.append(f"{name}: unmarked, yet not the numbers as decoded")
                continue
            managed += 1
            if tools:
                check = subprocess.run(["pngcheck", "-q", ours], capture_output=True, text=True)
                if check.returncode != 0:
                    problems.append(f"{name}: pngcheck: {check.stdout.strip()}")
                intent = subprocess.run(["identify", "-format", "%[png:sRGB]", ours],
                                        capture_output=True, text=True)
                if "intent" not in intent.stdout:
                    problems.append(f"{name}: ImageMagick reads no sRGB chunk")
            if jpeg is None:
                continue
            near, far = difference(ours, jpeg), difference(plain, jpeg)
            print(f"{name:50} {near:6.2f} (as decoded {far:6.2f})")
            if near > LIMIT or near > far + 0.01:
                problems.append(f"{name}: {near:.2f} from the editor's preview "
                                f"(as decoded {far:.2f}, at most {LIMIT})")
            if tools and "gray" in name and kept == 0:
                carried = convert(args.cli, document, base + "-keep", "--color=keep")
                if carried and "iCCP" in chunk_types(carried):
                    kept += 1
                    check = subprocess.run(["pngcheck", "-q", carried], capture_output=True,
                                           text=True)
                    profile = subprocess.run(["identify", "-verbose", carried],
                                             capture_output=True, text=True)
                    if check.returncode != 0 or "Profile-icc" not in profile.stdout:
                        problems.append(f"{name}: the profile carried is not read back")
    if tools and kept == 0 and managed > 0:
        problems.append("no gray document with a profile to carry")
    print(f"{managed} documents with managed colours of {len(documents)}, "
          f"{deep_checked} 16-bit PNGs")
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
