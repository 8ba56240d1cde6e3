#!/usr/bin/env python3
"""Checks that the number of workers never changes what is written.

Each corpus (PSD documents, BMP files) is converted twice by quillconv-cli: with -j1, where the
processors left over make each document's images in bands at once, and with -j3, where three
files are converted at once and each makes its bands alone (on a machine of up to three
processors). Every output must be the same bytes in both runs, and every PNG, MNG and APNG must
pass pngcheck. The PSD documents are converted as stored (merged image, layers, MNG, APNG) and as
drawn (composed, layers as shown, groups as pictures). Passes with a notice when the corpora or
pngcheck are not there.
Usage: check_bands_corpus.py --cli QUILLCONV_CLI --corpus DIR"""
import argparse
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile

RUNS = {
    "psd": [["--psd-png", "--psd-layers", "--psd-mng", "--psd-apng"],
            ["--psd-png", "--compose", "--as-shown", "--groups=images", "--psd-layers",
             "--psd-mng"]],
    "bmp": [["--bmp-png"]],
}


def files_below(root):
    return sorted(os.path.relpath(os.path.join(folder, name), root)
                  for folder, _, names in os.walk(root) for name in names)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus", required=True)
    args = parser.parse_args()
    if shutil.which("pngcheck") is None:
        print("check_bands_corpus: pngcheck is not installed; nothing checked")
        return 0
    problems, compared = [], 0
    with tempfile.TemporaryDirectory() as scratch:
        for kind, runs in RUNS.items():
            corpus = os.path.join(args.corpus, kind)
            if not os.path.isdir(corpus):
                print(f"check_bands_corpus: no corpus at {corpus}; left out")
                continue
            for number, options in enumerate(runs):
                outputs = []
                for jobs in ("-j1", "-j3"):
                    out = os.path.join(scratch, f"{kind}{number}{jobs}")
                    subprocess.run([args.cli, "-q", jobs, *options, "-o", out, corpus],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                    outputs.append(out)
                one, other = (files_below(out) if os.path.isdir(out) else [] for out in outputs)
                if one != other:
                    problems.append(f"{kind} {' '.join(options)}: -j1 and -j3 write other files: "
                                    f"{sorted(set(one) ^ set(other))[:5]}")
                for name in sorted(set(one) & set(other)):
                    first, second = (os.path.join(out, name) for out in outputs)
                    compared += 1
                    if not filecmp.cmp(first, second, shallow=False):
                        problems.append(f"{kind} {' '.join(options)}: {name} differs")
                    elif name.endswith((".png", ".mng", ".apng")):
                        check = subprocess.run(["pngcheck", "-q", first], capture_output=True,
                                               text=True)
                        if check.returncode != 0:
                            problems.append(f"{name}: pngcheck: {check.stdout.strip()}")
    for problem in problems:
        print(problem)
    print(f"check_bands_corpus: {compared} outputs compared, {len(problems)} problems")
    return 1 if problems or compared == 0 and os.path.isdir(args.corpus) else 0


if __name__ == "__main__":
    sys.exit(main())
