#!/usr/bin/env python3
"""Checks the PSD reader against PIL on the shared corpus of real PSD and PSB documents.

For every document below the corpus folder, psd_dump (built from tests/corpus/PsdDump.cpp) loads
it with the reader and writes the merged image and each layer as raw rasters. This script works
out on its own what the reader must do with the document and compares:

* Documents of a kind the reader does not take must be refused by the scan with the tag of
  their kind: version other than 1 (PSB) "Scan:103", depth other than 8 "Scan:123", bitmap
  "Scan:124", CMYK/multichannel/duotone/Lab "Scan:125", a ZIP-compressed layer channel
  "ScanLayer:225", merged compression other than raw or RLE "Scan:167".
* Every other document must load: the merged image, and every layer whose rectangle is not
  empty; a layer with an empty rectangle must fail with "Image::Create:59" (width) or ":60".
* Each loaded raster must equal the one built from PIL's decode.

How PIL is used. PIL 9.4 opens only about half of these documents (its layer parser fails on
groups, adjustment and empty layers), decodes layers taking their channels in the order of its
mode letters rather than in file order, and keeps no alpha for grayscale or indexed images. So
this script finds each channel's bytes itself (the section and record lengths of the file
format, kept deliberately simple and independent of the reader's code) and hands every channel
plane to PIL as a one-channel PSD of its own: grayscale for gray, colour and transparency planes,
indexed with the document's palette for indexed planes. PIL thus does all of the decoding
(PackBits, palette expansion); this script only places the decoded planes into the reader's pixel
layout (A first, then B, G, R):
  - alpha is present when the image has more channel records than colour channels, layer
    masks (-2 and -3) and saved selections not counted;
  - channel id 0xFFFF (-1 in the file) is transparency, ids 0..colours-1 are the colour
    components, any other id (layer masks -2, extra merged channels) is ignored;
  - of the merged image's extra channels (after the colour channels) the first is transparency
    only where the document says so: a negative layer count, an "Mtrn", "Mt16" or "Mt32" block
    after the layer information, an alpha identifier (resource 1053) of 0 for it, or fewer
    extra channels named (1006, 1045) or identified (1053) than there are; otherwise they are
    saved selections, and ignored;
  - a layer channel whose id equals the number of colour channels counts as the gray/index
    channel in grayscale and indexed documents and as transparency in an RGB layer with alpha;
    in an RGB layer without alpha it is dropped;
  - when two channels carry the same id the later one wins; an alpha no channel supplies is 0;
  - a non-empty image with no channel left to decode is refused ("LoadImage:305").
Where PIL opens the document itself, its merged image is compared as well (RGB, RGBA, L, and P
expanded to RGB; PIL takes any extra channel as alpha, which is dropped where the document does
not make it transparency), which checks the channel order independently of the rules above.
Where ImageMagick's convert is installed, the alpha of every merged image with extra channels is
compared with ImageMagick's reading of the document, which checks the rule for the first extra
channel independently (skipped with a notice otherwise).

Then each document is read once more with the reader's extended reading (psd_dump --extended):
every document must load, its merged image and every layer whose rectangle is not empty; and a
document that the usual reading loads must give the same rasters both ways. (The extended
reading's pixels of other depths and colour modes are compared with ImageMagick by hand, not
here: PIL reads too few of those documents.)

Usage: check_psd_corpus.py --dump PATH_TO_psd_dump --repo REPO_ROOT [--corpus DIR]
Passes with a notice when the corpus or PIL is not there.
"""

import argparse
import collections
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile

TRANSPARENCY = 0xFFFF
IGNORED = -1
CONVERT = shutil.which("convert")


def notice_and_pass(text):
    print("PSD corpus check skipped: " + text)
    sys.exit(0)


class Refusal(Exception):
    def __init__(self, tag):
        super().__init__(tag)
        self.tag = tag


class Plane:
    """Where one channel's bytes lie: raw data, or RLE row counts and data."""

    def __init__(self, compression, data, counts=b""):
        self.compression = compression
        self.data = data
        self.counts = counts


class Record:
    def __init__(self, x, y, width, height):
        self.x, self.y, self.width, self.height = x, y, width, height
        self.channels = []  # (id, Plane or None)
        self.masks = 0  # channel records of layer masks (-2, -3)
        self.extra = 0  # merged image: channels after the colour channels
        self.selections = 0  # merged image: of those, the saved selections


class Document:
    pass


def parse(data):
    """The document's records, or Refusal with the tag the reader must raise."""
    def u16(at):
        return struct.unpack_from(">H", data, at)[0]

    def i16(at):
        return struct.unpack_from(">h", data, at)[0]

    def i32(at):
        return struct.unpack_from(">i", data, at)[0]

    if data[:4] != b"8BPS":
        raise Refusal("ImageLoaderPSD::Scan:98")
    if u16(4) != 1:
        raise Refusal("ImageLoaderPSD::Scan:103")
    doc = Document()
    channel_count, height, width, depth, mode = u16(12), i32(14), i32(18), u16(22), u16(24)
    if depth != 8:
        raise Refusal("ImageLoaderPSD::Scan:123")
    if mode == 0:
        raise Refusal("ImageLoaderPSD::Scan:124")
    if mode > 3:
        raise Refusal("ImageLoaderPSD::Scan:125")
    doc.mode = mode
    doc.colors = 3 if mode == 3 else 1
    pos = 26
    palette_length = i32(pos)
    pos += 4
    doc.palette = None
    if mode == 2:
        if palette_length != 768:
            raise Refusal("ImageLoaderPSD::Scan:137" if palette_length > 0 else "ImageLoaderPSD::Scan:145")
        doc.palette = data[pos:pos + 768]
    elif palette_length > 0:
        raise Refusal("ImageLoaderPSD::Scan:136")
    pos += max(palette_length, 0)
    resources_end = pos + 4 + max(i32(pos), 0)
    described, first_identifier = described_channels(data, pos + 4, resources_end, channel_count - doc.colors)
    pos = resources_end
    section_length = i32(pos)
    pos += 4
    section_end = pos + section_length

    doc.layers = []
    said_transparent = first_identifier == 0 or described < channel_count - doc.colors
    if section_length > 0:
        info_end = pos + 4 + i32(pos)
        said_transparent = said_transparent or i16(pos + 4) < 0 or transparency_block(data, info_end, section_end)
        pos += 4  # length of the layer information
        count = abs(i16(pos))
        pos += 2
        for _ in range(count):
            top, left, bottom, right = struct.unpack_from(">iiii", data, pos)
            record = Record(left, top, right - left, bottom - top)
            n = u16(pos + 16)
            pos += 18
            for _ in range(n):
                file_id, length = struct.unpack_from(">Hi", data, pos)
                pos += 6
                record.masks += 1 if file_id in (0xFFFE, 0xFFFD) else 0
                record.channels.append([file_id, length])
            if data[pos:pos + 4] != b"8BIM":
                raise Refusal("ImageLoaderPSD::ScanLayerInfo:271")
            pos += 12
            pos += 4 + i32(pos)  # extra data: mask, blending ranges, name, additional
            doc.layers.append(record)
        for record in doc.layers:
            for channel in record.channels:
                file_id, length = channel
                compression = u16(pos)
                if compression not in (0, 1):
                    raise Refusal("ImageLoaderPSD::ScanLayer:225")
                rows = max(record.height, 0)
                if compression == 1:
                    counts = data[pos + 2:pos + 2 + 2 * rows]
                    plane = Plane(1, data[pos + 2 + 2 * rows:pos + length], counts)
                else:
                    plane = Plane(0, data[pos + 2:pos + length])
                channel[:] = [layer_id(file_id, doc.colors), plane]
                pos += length
    pos = section_end

    compression = u16(pos)
    if compression not in (0, 1):
        raise Refusal("ImageLoaderPSD::Scan:167")
    pos += 2
    doc.merged = Record(0, 0, width, height)
    rows = max(height, 0)
    planes = []
    if compression == 1:
        tables = [data[pos + 2 * rows * i:pos + 2 * rows * (i + 1)] for i in range(channel_count)]
        pos += 2 * rows * channel_count
        for table in tables:
            size = sum(struct.unpack(">%dH" % rows, table))
            planes.append(Plane(1, data[pos:pos + size], table))
            pos += size
    else:
        size = max(width, 0) * rows
        for i in range(channel_count):
            planes.append(Plane(0, data[pos:pos + size]))
            pos += size
    for i, plane in enumerate(planes):
        merged_id = i if i < doc.colors else TRANSPARENCY if i == doc.colors and said_transparent else IGNORED
        doc.merged.channels.append([merged_id, plane])
    doc.merged.extra = max(channel_count - doc.colors, 0)
    doc.merged.selections = 0 if said_transparent else doc.merged.extra
    return doc


def described_channels(data, pos, end, extra):
    """How many extra channels the resources name or identify (up to extra), and the first alpha
    identifier (None without identifiers)."""
    described, first_identifier = 0, None
    while pos + 12 <= end:
        rid = struct.unpack_from(">H", data, pos + 4)[0]
        pos += 6 + (data[pos + 6] + 2) // 2 * 2
        size = struct.unpack_from(">I", data, pos)[0]
        body = data[pos + 4:pos + 4 + size]
        pos += 4 + (size + 1) // 2 * 2
        entries, at = 0, 0
        if rid == 1006:
            while at < len(body) and entries < extra:
                at += 1 + body[at]
                entries += at <= len(body)
        elif rid == 1045:
            while at + 4 <= len(body) and entries < extra:
                at += 4 + 2 * struct.unpack_from(">I", body, at)[0]
                entries += at <= len(body)
        elif rid == 1053 and len(body) >= 4:
            entries, first_identifier = len(body) // 4, struct.unpack_from(">I", body, 0)[0]
        described = max(described, entries)
    return described, first_identifier


def transparency_block(data, pos, end):
    """Whether an "Mtrn", "Mt16" or "Mt32" block follows the global layer mask information."""
    if pos + 4 > end:
        return False
    pos += 4 + struct.unpack_from(">I", data, pos)[0]
    while pos + 12 <= end and data[pos:pos + 4] in (b"8BIM", b"8B64"):
        if data[pos + 4:pos + 8] in (b"Mtrn", b"Mt16", b"Mt32"):
            return True
        pos += 12 + (struct.unpack_from(">I", data, pos + 8)[0] + 3) // 4 * 4
    return False


def layer_id(file_id, colors):
    return file_id if file_id == TRANSPARENCY or file_id <= colors else IGNORED


def pil_plane(Image, plane, width, height, palette):
    """PIL's decode of one plane: gray bytes, or RGB triplets for an indexed plane."""
    header = b"8BPS" + struct.pack(">H6xHiiHH", 1, 1, height, width, 8, 2 if palette else 1)
    header += struct.pack(">I", len(palette)) + palette if palette else struct.pack(">I", 0)
    header += struct.pack(">II", 0, 0)  # no resources, no layers
    body = struct.pack(">H", plane.compression) + plane.counts + plane.data
    image = Image.open(io.BytesIO(header + body))
    image.load()
    if palette:
        image = image.convert("RGB")
    return image.tobytes()


def decoded_channels(doc, record):
    """The channel records the reader decodes, in record order."""
    alpha = len(record.channels) - record.masks - record.selections > doc.colors
    return [(channel_id, plane) for channel_id, plane in record.channels
            if channel_id != IGNORED and not (doc.mode == 3 and channel_id == doc.colors and not alpha)]


def expected_raster(Image, doc, record):
    """The raster the reader must produce for record, and its bytes per pixel."""
    width, height = record.width, record.height
    alpha = len(record.channels) - record.masks - record.selections > doc.colors
    colors = 3 if doc.mode in (2, 3) else 1
    step = colors + (1 if alpha else 0)
    first = 1 if alpha else 0
    raster = bytearray(width * height * step)
    for channel_id, plane in decoded_channels(doc, record):
        if channel_id == TRANSPARENCY:
            raster[0::step] = pil_plane(Image, plane, width, height, None)
        elif doc.mode == 2:
            rgb = pil_plane(Image, plane, width, height, doc.palette)
            raster[first::step] = rgb[2::3]
            raster[first + 1::step] = rgb[1::3]
            raster[first + 2::step] = rgb[0::3]
        elif doc.mode == 3:
            raster[first + 2 - channel_id::step] = pil_plane(Image, plane, width, height, None)
        else:
            raster[first::step] = pil_plane(Image, plane, width, height, None)
    return bytes(raster), step


def pil_whole_merged(Image, path, selections):
    """PIL's own decode of the document's merged image in the reader's layout, or None where
    PIL cannot open the document. PIL takes an extra channel as alpha even where it is a saved
    selection (selections), and that alpha is dropped."""
    try:
        image = Image.open(path)
        image.load()
    except Exception:
        return None
    if image.mode == "P" or (image.mode == "RGBA" and selections):
        image = image.convert("RGB")
    order = {"L": "L", "RGB": "BGR", "RGBA": "ABGR"}.get(image.mode)
    if order is None:
        return None
    return image.tobytes("raw", order)


def imagemagick_alpha(Image, path):
    """The alpha of ImageMagick's reading of the document's merged image, 255 where it has none;
    None where convert fails on the document."""
    with tempfile.TemporaryDirectory() as folder:
        png = os.path.join(folder, "merged.png")
        run = subprocess.run([CONVERT, path + "[0]", png], capture_output=True, timeout=300)
        if run.returncode != 0 or not os.path.exists(png):
            return None
        with Image.open(png) as image:
            return image.convert("RGBA").tobytes("raw", "A")


def ids_text(record):
    return ",".join(str(channel_id) for channel_id, _ in record.channels) or "-"


def dump_lines(dump, arguments, relative, failures):
    run = subprocess.run([dump] + arguments, capture_output=True, text=True, timeout=300)
    if run.returncode != 0:
        failures.append("%s: psd_dump ended with %d: %s" % (relative, run.returncode, run.stderr.strip()))
        return None
    return run.stdout.splitlines()


def check_extended(dump, path, relative, usual_lines, usual_out, tally, failures):
    """The extended reading: everything loads, and what the usual reading loads is unchanged."""
    with tempfile.TemporaryDirectory() as out:
        lines = dump_lines(dump, ["--extended", path, out], relative, failures)
        if lines is None:
            return
        if not lines or not lines[0].startswith("merged ") or "error" in lines[0]:
            failures.append("%s: extended reading: %s" % (relative, lines[:1]))
            return
        for line in lines[1:]:
            fields = line.split()
            if fields[2] == "error" and fields[3] not in ("Image::Create:59", "Image::Create:60"):
                failures.append("%s: extended reading: %s" % (relative, line))
                return
        tally["documents loaded by the extended reading"] += 1
        if usual_lines is None:
            return
        same = lines == usual_lines
        for name in os.listdir(usual_out):
            with open(os.path.join(usual_out, name), "rb") as a, open(os.path.join(out, name), "rb") as b:
                same = same and a.read() == b.read()
        if same:
            tally["documents the same with the extended reading"] += 1
        else:
            failures.append("%s: the extended reading gives other images" % relative)


def check_document(Image, dump, path, relative, tally, failures):
    with tempfile.TemporaryDirectory() as out:
        lines = check_usual(Image, dump, path, relative, out, tally, failures)
        check_extended(dump, path, relative, lines, out, tally, failures)


def check_usual(Image, dump, path, relative, out, tally, failures):
    """The usual reading against PIL; returns psd_dump's lines when the document loaded."""
    with open(path, "rb") as handle:
        data = handle.read()
    try:
        doc = parse(data)
        expected_refusal = None
    except Refusal as refusal:
        doc, expected_refusal = None, refusal.tag

    lines = dump_lines(dump, [path, out], relative, failures)
    if lines is None:
        return None

    if expected_refusal:
        if lines == ["refused " + expected_refusal]:
            tally["refused " + expected_refusal] += 1
        else:
            failures.append("%s: expected refusal %s, got %s" % (relative, expected_refusal, lines[:2]))
        return None
    if not lines or lines[0].startswith("refused"):
        failures.append("%s: refused (%s), expected to load" % (relative, lines[:1]))
        return None
    tally["documents loaded"] += 1
    check_rasters(Image, doc, path, lines, out, relative, tally, failures)
    return lines


def check_rasters(Image, doc, path, lines, out, relative, tally, failures):
    """The merged image and the layers of a loaded document against PIL's planes."""
    def raster(name):
        with open(os.path.join(out, name), "rb") as handle:
            return handle.read()

    # The merged image.
    fields = lines[0].split()
    merged = doc.merged
    want, step = expected_raster(Image, doc, merged)
    if not decoded_channels(doc, merged):
        if lines[0] == "merged error ImageLoaderPSD::LoadImage:305":
            tally["merged images without channels refused"] += 1
        else:
            failures.append("%s: %s, expected error LoadImage:305" % (relative, lines[0]))
    elif fields[:2] != ["merged", str(merged.width)] or fields[2:] != [str(merged.height), str(step)]:
        failures.append("%s: merged image %s, expected %dx%d with %d channels"
                        % (relative, lines[0], merged.width, merged.height, step))
    elif raster("merged.raw") != want:
        failures.append("%s: merged image differs from PIL's planes" % relative)
    else:
        tally["merged images equal"] += 1
        whole = pil_whole_merged(Image, path, merged.selections)
        if whole is not None and step in (1, 3, 4):
            if whole == raster("merged.raw"):
                tally["merged images also equal to PIL's whole decode"] += 1
            else:
                failures.append("%s: merged image differs from PIL's whole decode" % relative)
        if merged.extra and CONVERT and step in (1, 2, 3, 4):
            ours = raster("merged.raw")[0::step] if step in (2, 4) else b"\xff" * (len(want) // step)
            theirs = imagemagick_alpha(Image, path)
            if theirs == ours:
                tally["merged alpha also equal to ImageMagick's"] += 1
            else:
                failures.append("%s: merged alpha differs from ImageMagick's" % relative)

    # The layers, in file order.
    layer_lines = lines[1:]
    if len(layer_lines) != len(doc.layers):
        failures.append("%s: %d layers, expected %d" % (relative, len(layer_lines), len(doc.layers)))
        return
    for index, (line, layer) in enumerate(zip(layer_lines, doc.layers)):
        fields = line.split()
        label = "%s: layer %d" % (relative, index)
        if layer.width < 1 or layer.height < 1:
            tag = "Image::Create:59" if layer.width < 1 else "Image::Create:60"
            if fields[2:] == ["error", tag]:
                tally["empty layers refused with " + tag] += 1
            else:
                failures.append("%s: %s, expected error %s" % (label, line, tag))
            continue
        if not decoded_channels(doc, layer):
            if fields[2:] == ["error", "ImageLoaderPSD::LoadImage:305"]:
                tally["layers without channels refused"] += 1
            else:
                failures.append("%s: %s, expected error LoadImage:305" % (label, line))
            continue
        want, step = expected_raster(Image, doc, layer)
        described = [str(v) for v in (layer.x, layer.y, layer.width, layer.height, step)]
        if fields[2:7] != described or fields[7:] != [ids_text(layer)]:
            failures.append("%s: %s, expected %s ids %s" % (label, line, described, ids_text(layer)))
        elif raster("layer%d.raw" % index) != want:
            failures.append("%s: raster differs from PIL's planes" % label)
        else:
            tally["layers equal"] += 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dump", required=True)
    parser.add_argument("--repo", required=True)
    parser.add_argument("--corpus")
    args = parser.parse_args()

    candidates = [args.corpus] if args.corpus else [
        "/work/shared/corpus/psd",
        os.path.join(args.repo, os.pardir, "shared", "corpus", "psd"),
    ]
    corpus = next((c for c in candidates if c and os.path.isdir(c)), None)
    if corpus is None:
        notice_and_pass("no corpus at %s" % " or ".join(os.path.normpath(c) for c in candidates))
    try:
        from PIL import Image
    except ImportError:
        notice_and_pass("PIL is not installed for %s (Debian package python3-pil)" % sys.executable)

    documents = []
    for folder, _, names in os.walk(corpus):
        for name in names:
            if name.lower().endswith((".psd", ".psb")):
                documents.append(os.path.join(folder, name))
    documents.sort()

    tally = collections.Counter()
    failures = []
    for path in documents:
        relative = os.path.relpath(path, corpus)
        try:
            check_document(Image, args.dump, path, relative, tally, failures)
        except Exception as error:  # a fault of this script or of PIL on one document
            failures.append("%s: check raised %r" % (relative, error))

    print("PSD corpus: %d documents in %s" % (len(documents), os.path.normpath(corpus)))
    if not CONVERT:
        print("  merged alpha not compared with ImageMagick: its convert is not installed")
    for key in sorted(tally):
        print("  %-52s %d" % (key, tally[key]))
    print("  %-52s %d" % ("mismatches", len(failures)))
    for failure in failures:
        print("MISMATCH " + failure)
    return 1 if failures or not documents else 0


if __name__ == "__main__":
    sys.exit(main())
