#!/usr/bin/env python3
"""Runs two builds of quillconv-cli over the same inputs and says whether they behave the same:
the same files written with the same bytes, the same standard output and error, the same exit
status, option set by option set.

The inputs are the samples, the corpora of shared/ (PSD and PSB documents, BMP files, and PNG
files made from those BMP files by the old build) and damaged copies of every document: cut short
at several lengths and with bytes overwritten at places drawn from a fixed seed, so that both
builds meet the same broken files. Each option set runs in a fresh copy of the inputs, outputs
beside them.

Usage: compare-builds.py [--old-args=ARGS] [--new-args=ARGS] [--quick] [--keep DIR]
                         OLD_CLI NEW_CLI
  --old-args, --new-args  options given to one build only, before each option set's own (such as
                          an option that gives a new build the old behaviour)
  --quick                 the samples and every fifth corpus file only
  --keep DIR              leave the runs' folders in DIR instead of a temporary folder
A Windows build's .exe runs under the project's Wine (scripts/wine-run.sh).
The exit status is 0 when every option set gives the same, 1 otherwise."""
import argparse
import filecmp
import os
import random
import shlex
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SHARED = ROOT.parent / "shared" / "corpus"

# What the window offers and what the command-line tool adds, in combinations that reach every
# output and every reading.
OPTION_SETS = [
    "--psd-png --psd-layers --info --layer-info --psd-mng",
    "--psd-mng --mng-offset --mng-title --mng-comment --mng-loop --fps=8 --skip-empty-layers",
    "--psd-layers --png-offset --naming=underscore-name --fill-blank --compression=speed",
    "--psd-layers --trim --no-alpha --naming=folder-serial --compression=ratio --skip-empty-layers",
    "--extended --psd-png --psd-layers --info --layer-info=name,mode --manifest",
    "--extended --compose --as-shown --psd-png --psd-layers --groups=folders --skip-hidden",
    "--extended --groups=images --psd-layers --psd-apng --mng-loop --fps=12 --remove-matte",
    "--bmp-png --alpha=file --invert-alpha",
    "--bmp-png --extended --alpha=split --fill-blank",
    "--png-bmp --alpha=split",
    "--png-bmp --alpha=file --invert-alpha",
    "--png-bmp --alpha=bgra",
    # one output folder for every input: documents of one name meet there
    "--psd-png --psd-layers --psd-mng --naming=underscore-name -o out",
]

DAMAGE_SEED = 20261209


def run_cli(cli, args, cwd):
    command = [str(cli)]
    if str(cli).endswith(".exe"):
        command = ["bash", str(ROOT / "scripts" / "wine-run.sh"), str(cli)]
    result = subprocess.run(command + args, cwd=cwd, capture_output=True, timeout=1800)
    return result.returncode, result.stdout, result.stderr


def damaged_copies(source, target_folder, rng):
    """Writes the damaged copies of source into target_folder."""
    data = source.read_bytes()
    if len(data) < 64:
        return
    stem, ext = source.stem, source.suffix
    for fraction in (0.1, 0.5, 0.97):
        cut = max(26, int(len(data) * fraction))
        (target_folder / f"{stem}_cut{int(fraction * 100)}{ext}").write_bytes(data[:cut])
    for copy in range(2):
        bytes_ = bytearray(data)
        for _ in range(8):
            at = rng.randrange(26, len(bytes_))
            bytes_[at] = rng.randrange(256)
        (target_folder / f"{stem}_flip{copy}{ext}").write_bytes(bytes(bytes_))


def gather_inputs(folder, old_cli, quick):
    """The inputs of every run: samples, corpora, PNG files and damaged copies."""
    shutil.copytree(ROOT / "samples", folder / "samples")
    rng = random.Random(DAMAGE_SEED)
    for corpus in ("psd", "bmp"):
        source = SHARED / corpus
        if not source.is_dir():
            print(f"compare-builds: {source} is absent; comparing without it", file=sys.stderr)
            continue
        files = sorted(p for p in source.rglob("*") if p.is_file() and
                       p.suffix.lower() in (".psd", ".psb", ".bmp"))
        if quick:
            files = files[::5]
        for path in files:
            target = folder / corpus / path.relative_to(source)
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(path, target)
        damage = folder / f"{corpus}-damaged"
        damage.mkdir()
        for path in files:
            if path.suffix.lower() != ".bmp" or path.parent.name == "g":
                damaged_copies(path, damage, rng)
    # PNG inputs: the corpus BMP files as PNG, made once by the old build.
    if (folder / "bmp").is_dir():
        pngs = folder / "png"
        shutil.copytree(folder / "bmp", pngs)
        run_cli(old_cli, ["--bmp-png", "--extended", "--alpha=split", "-q", str(pngs)], folder)
        for path in pngs.rglob("*"):
            if path.is_file() and path.suffix.lower() == ".bmp":
                path.unlink()
        rng = random.Random(DAMAGE_SEED + 1)
        damage = folder / "png-damaged"
        damage.mkdir()
        for path in sorted(pngs.rglob("*.png"))[::3]:
            damaged_copies(path, damage, rng)


def tree(folder):
    return sorted(p.relative_to(folder).as_posix() for p in folder.rglob("*") if p.is_file())


def compare_trees(old, new):
    """What differs between two run folders, as lines."""
    old_files, new_files = tree(old), tree(new)
    lines = [f"only in the old build's run: {p}" for p in sorted(set(old_files) - set(new_files))]
    lines += [f"only in the new build's run: {p}" for p in sorted(set(new_files) - set(old_files))]
    for path in sorted(set(old_files) & set(new_files)):
        if not filecmp.cmp(old / path, new / path, shallow=False):
            lines.append(f"differs: {path}")
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("old_cli", type=Path)
    parser.add_argument("new_cli", type=Path)
    parser.add_argument("--old-args", default="")
    parser.add_argument("--new-args", default="")
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--keep", type=Path)
    args = parser.parse_args()
    old_cli, new_cli = args.old_cli.resolve(), args.new_cli.resolve()

    work = args.keep or Path(tempfile.mkdtemp(prefix="compare-builds-"))
    work.mkdir(parents=True, exist_ok=True)
    inputs = work / "inputs"
    if inputs.exists():
        shutil.rmtree(inputs)
    inputs.mkdir()
    gather_inputs(inputs, old_cli, args.quick)
    count = len(tree(inputs))
    print(f"{count} input files")

    differing = 0
    for number, options in enumerate(OPTION_SETS, 1):
        results = {}
        for side, cli, extra in (("old", old_cli, args.old_args), ("new", new_cli, args.new_args)):
            folder = work / f"{number:02d}-{side}"
            if folder.exists():
                shutil.rmtree(folder)
            shutil.copytree(inputs, folder)
            argv = shlex.split(extra) + shlex.split(options) + ["-q", "."]
            results[side] = (folder, run_cli(cli, argv, folder))
        (old_folder, old_run), (new_folder, new_run) = results["old"], results["new"]
        lines = compare_trees(old_folder, new_folder)
        for name, index in (("exit status", 0), ("standard output", 1), ("standard error", 2)):
            if old_run[index] != new_run[index]:
                lines.append(f"{name} differs")
        written = len(tree(new_folder)) - count
        verdict = "same" if not lines else "DIFFERENT"
        print(f"{verdict}: {options}  ({written} outputs, exit status {new_run[0]})")
        for line in lines[:20]:
            print("   ", line)
        differing += bool(lines)
        if not args.keep:
            shutil.rmtree(old_folder)
            shutil.rmtree(new_folder)
    if not args.keep:
        shutil.rmtree(work)
    print(f"{len(OPTION_SETS) - differing} of {len(OPTION_SETS)} option sets the same")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
