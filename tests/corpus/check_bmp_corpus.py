#!/usr/bin/env python3
"""Checks the BMP reading on the shared BMP corpus against ImageMagick.

With --bmp-png --extended every file of g/ must convert to ImageMagick's picture of it, pixel by
pixel; every file of b/ must either fail with a tag and an explanation or convert to
ImageMagick's picture. Without --extended the files must convert or fail exactly as the basic
reading always has: the same files convert, to the same pictures, and the others fail with the
same tags. Where the reader knowingly differs from ImageMagick, DIFFERENCES says how and the
check holds it to that. Passes with a notice when the corpus, Pillow or ImageMagick is not there.
Usage: check_bmp_corpus.py --cli QUILLCONV_CLI --corpus DIR"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

# What the basic reading (without --extended) gives each file: None where it converts, else
# its tag.
BASIC = {
    "g/pal1.bmp": "ImageLoaderBMP::LoadInfo:124",
    "g/pal1bg.bmp": "ImageLoaderBMP::LoadInfo:124",
    "g/pal1wb.bmp": "ImageLoaderBMP::LoadInfo:124",
    "g/pal4.bmp": "ImageLoaderBMP::LoadInfo:124",
    "g/pal4gs.bmp": "ImageLoaderBMP::LoadInfo:124",
    "g/pal4rle.bmp": "ImageLoaderBMP::LoadInfo:123",
    "g/pal8-0.bmp": None,
    "g/pal8.bmp": None,
    "g/pal8gs.bmp": None,
    "g/pal8nonsquare.bmp": None,
    "g/pal8os2.bmp": "ImageLoaderBMP::LoadInfo:121",
    "g/pal8rle.bmp": "ImageLoaderBMP::LoadInfo:123",
    "g/pal8topdown.bmp": None,
    "g/pal8v4.bmp": None,
    "g/pal8v5.bmp": None,
    "g/pal8w124.bmp": None,
    "g/pal8w125.bmp": None,
    "g/pal8w126.bmp": None,
    "g/rgb16-565.bmp": "ImageLoaderBMP::LoadInfo:123",
    "g/rgb16-565pal.bmp": "ImageLoaderBMP::LoadInfo:123",
    "g/rgb16.bmp": None,
    "g/rgb16bfdef.bmp": "ImageLoaderBMP::LoadInfo:123",
    "g/rgb24.bmp": None,
    "g/rgb24pal.bmp": None,
    "g/rgb32.bmp": None,
    "g/rgb32bf.bmp": "ImageLoaderBMP::LoadInfo:123",
    "g/rgb32bfdef.bmp": "ImageLoaderBMP::LoadInfo:123",
    "b/badbitcount.bmp": "ImageLoaderBMP::LoadInfo:133",
    "b/badbitssize.bmp": "ImageLoaderBMP::LoadInfo:124",
    "b/baddens1.bmp": "ImageLoaderBMP::LoadInfo:124",
    "b/baddens2.bmp": "ImageLoaderBMP::LoadInfo:124",
    "b/badfilesize.bmp": "ImageLoaderBMP::LoadInfo:124",
    "b/badheadersize.bmp": "ImageLoaderBMP::LoadInfo:124",
    "b/badpalettesize.bmp": "ImageLoaderBMP::LoadInfo:135",
    "b/badplanes.bmp": "ImageLoaderBMP::LoadInfo:122",
    "b/badrle.bmp": "ImageLoaderBMP::LoadInfo:123",
    "b/badrle4.bmp": "ImageLoaderBMP::LoadInfo:123",
    "b/badrle4bis.bmp": "ImageLoaderBMP::LoadInfo:123",
    "b/badrle4ter.bmp": "ImageLoaderBMP::LoadInfo:123",
    "b/badrlebis.bmp": "ImageLoaderBMP::LoadInfo:123",
    "b/badrleter.bmp": "ImageLoaderBMP::LoadInfo:123",
    "b/badwidth.bmp": "ImageLoaderBMP::LoadInfo:124",
    "b/pal8badindex.bmp": None,
    "b/reallybig.bmp": "ImageLoaderBMP::Load:151",
    "b/rgb16-880.bmp": "ImageLoaderBMP::LoadInfo:123",
    "b/rletopdown.bmp": "ImageLoaderBMP::LoadInfo:123",
    "b/shortfile.bmp": "ImageLoaderBMP::LoadInfo:124",
}

# Where the reader knowingly differs from ImageMagick.
DIFFERENCES = {
    # ImageMagick refuses a file whose header gives a file size larger than the file; the
    # reader does not trust that field and reads the pixels, which are all there.
    "b/badfilesize.bmp": "size field",
    # Indices beyond the palette: ImageMagick reports an error and paints them with entry 0;
    # the reader shows them black, as the basic reading always has.
    "b/pal8badindex.bmp": "black beyond the palette",
}

FAILURE = re.compile(r"^quillconv-cli: (.*?\.bmp): (.*) \(([A-Za-z_:]+:\d+)\)$")


def run(cli, files, out, extended):
    """Converts files into out; {path: (explanation, tag)} of those that failed."""
    command = [cli, "-q", "--like-window", "--bmp-png", "-o", out] + (["--extended"] if extended else []) + files
    result = subprocess.run(command, capture_output=True, text=True)
    failed = {}
    for line in result.stderr.splitlines():
        match = FAILURE.match(line)
        if match:
            failed[match.group(1)] = (match.group(2), match.group(3))
    return failed


def magick(path, out, numpy, Image, fix_size=False):
    """ImageMagick's picture of the file as RGBA, or None where it makes none. (It writes one
    for pal8badindex.bmp although it reports an error.)"""
    source = path
    if fix_size:
        data = bytearray(open(path, "rb").read())
        data[2:6] = len(data).to_bytes(4, "little")
        source = out + ".fixed.bmp"
        open(source, "wb").write(data)
    subprocess.run(["convert", source, "png:" + out], capture_output=True)
    if not os.path.exists(out):
        return None
    return numpy.asarray(Image.open(out).convert("RGBA"))


def compare(name, ours, theirs, numpy):
    """What differs between the two pictures, or None."""
    if theirs is None:
        return "ImageMagick refuses the file"
    if ours.shape != theirs.shape:
        return f"size {ours.shape[1]}x{ours.shape[0]}, ImageMagick {theirs.shape[1]}x{theirs.shape[0]}"
    if DIFFERENCES.get(name) == "black beyond the palette":
        # Every pixel that differs is black in ours.
        differ = numpy.any(ours != theirs, axis=2)
        black = numpy.all(ours[..., :3] == 0, axis=2)
        return None if numpy.all(black[differ]) else "pixels other than bad indices differ"
    if not numpy.any(theirs[..., 3]) and numpy.all(ours[..., 3] == 255):
        # An alpha mask whose alpha is 0 throughout: opaque to the reader, transparent to
        # ImageMagick; the colours must agree.
        ours, theirs = ours[..., :3], theirs[..., :3]
    differ = int(numpy.count_nonzero(numpy.any(ours != theirs, axis=-1)))
    return f"{differ} pixels differ" if differ else None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus", required=True)
    args = parser.parse_args()
    if not os.path.isdir(os.path.join(args.corpus, "g")):
        print(f"no corpus at {args.corpus}: the BMP check is skipped")
        return 0
    try:
        import numpy
        from PIL import Image
    except ImportError:
        print("Pillow or numpy is not installed: the BMP check is skipped")
        return 0
    if shutil.which("convert") is None:
        print("ImageMagick's convert is not installed: the BMP check is skipped")
        return 0

    failures, counts = [], {"g": [0, 0], "b": [0, 0, 0]}
    with tempfile.TemporaryDirectory() as scratch:
        # Copies under names that tell the two folders apart, in one folder per reading.
        names = {}
        for folder in ("g", "b"):
            for file in sorted(os.listdir(os.path.join(args.corpus, folder))):
                if file.lower().endswith(".bmp"):
                    copy = os.path.join(scratch, f"{folder}_{file}")
                    shutil.copyfile(os.path.join(args.corpus, folder, file), copy)
                    names[copy] = f"{folder}/{file}"
        for name in sorted(set(BASIC) - set(names.values())):
            failures.append(f"{name}: missing from the corpus")
        files = sorted(names)
        outputs = {reading: os.path.join(scratch, reading) for reading in ("extended", "basic")}
        failed = {reading: run(args.cli, files, out, reading == "extended")
                  for reading, out in outputs.items()}

        def picture(reading, copy):
            png = os.path.join(outputs[reading], os.path.basename(copy)[:-4] + ".png")
            return numpy.asarray(Image.open(png).convert("RGBA")) if os.path.exists(png) else None

        for copy in files:
            name = names[copy]
            folder = name.split("/")[0]
            reference = magick(copy, copy + ".png", numpy, Image,
                               DIFFERENCES.get(name) == "size field")
            extended = picture("extended", copy)
            if copy in failed["extended"]:
                explanation, tag = failed["extended"][copy]
                if folder == "g":
                    failures.append(f"{name}: not read ({explanation}, {tag})")
                elif explanation == "the conversion failed":
                    failures.append(f"{name}: refused without an explanation ({tag})")
                else:
                    counts["b"][0] += 1
                    print(f"{name}: refused: {explanation} ({tag})")
            elif extended is None:
                failures.append(f"{name}: no picture and no failure")
            else:
                problem = compare(name, extended, reference, numpy)
                if problem:
                    failures.append(f"{name}: {problem}")
                else:
                    counts[folder][1 if folder == "b" else 0] += 1
                    if name in DIFFERENCES:
                        counts["b"][2] += 1
                        print(f"{name}: read, as ImageMagick reads it but for its {DIFFERENCES[name]}")
                    elif folder == "b":
                        print(f"{name}: read as ImageMagick reads it")

            # Without --extended: as the basic reading always was.
            expected = BASIC.get(name)
            basic = picture("basic", copy)
            tag = failed["basic"].get(copy, (None, None))[1]
            if expected is not None and tag != expected:
                failures.append(f"{name}: without --extended {tag or 'read'}, not {expected}")
            elif expected is None and name in BASIC:
                if basic is None:
                    failures.append(f"{name}: without --extended not read ({tag})")
                elif extended is None or not numpy.array_equal(basic, extended):
                    failures.append(f"{name}: without --extended another picture")
                else:
                    counts["g"][1] += folder == "g"

    total = sum(1 for name in names.values() if name.startswith("g/"))
    print(f"g: {counts['g'][0]} of {total} read as ImageMagick reads them "
          f"({counts['g'][1]} of them the same without --extended); "
          f"b: {counts['b'][0]} refused with an explanation, {counts['b'][1]} read as ImageMagick "
          f"reads them ({counts['b'][2]} with a known difference)")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
