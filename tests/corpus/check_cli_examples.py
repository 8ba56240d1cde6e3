#!/usr/bin/env python3
"""Runs every example command of quillconv-cli's documentation on every document of the corpus.

The examples are the command lines that start with "quillconv-cli " in the Examples of --help,
the EXAMPLES of the manual page and the sh blocks of the README (lines holding "..." are
sketches, not commands). Each runs in a scratch folder, through the shell (an example may
redirect its output), with the paths it names made real:
  - a PSD or PSB file (art.psd): each document of the PSD corpus in turn, under its own name;
  - a folder (art/, work/, pictures/): the whole PSD corpus, subfolders and all, for PSD
    conversions; the good BMP files of the BMP corpus for --bmp-png; PNG files made from them
    for --png-bmp.
Every run must end with status 0. Passes with a notice when the corpus is not there."""
import argparse
import concurrent.futures
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

PSD_ENDINGS = (".psd", ".psb")


def help_examples(cli):
    text = subprocess.run([cli, "--help"], capture_output=True, text=True).stdout
    examples = text.split("\nExamples:\n", 1)[1] if "\nExamples:\n" in text else ""
    return [line.strip() for line in examples.splitlines() if line.strip().startswith("quillconv-cli ")]


def manual_examples(path):
    """The commands of EXAMPLES; a line that ends with "\\" goes on in the next."""
    lines, inside, going_on = [], False, False
    for line in open(path, encoding="utf-8").read().splitlines():
        if line.startswith(".SH "):
            inside = "EXAMPLES" in line
        elif inside:
            shown = re.sub(r"\\f(\[[^]]*\]|\(..|.)", "", line).replace("\\-", "-").replace("\\e", "\\")
            shown = shown.replace("\\&", "").strip()
            if going_on:
                lines[-1] = lines[-1][:-1].rstrip() + " " + shown
            elif shown.startswith("quillconv-cli "):
                lines.append(shown)
            going_on = (going_on or shown.startswith("quillconv-cli ")) and shown.endswith("\\")
    return lines


def readme_examples(path):
    lines, inside = [], False
    for line in open(path, encoding="utf-8").read().splitlines():
        if line.startswith("```"):
            inside = line.strip() == "```sh" if not inside else False
        elif inside and line.startswith("quillconv-cli "):
            lines.append(line.split("  #")[0].strip())
    return [line for line in lines if "..." not in line]


def documents(corpus):
    found = []
    for folder, _, files in os.walk(os.path.join(corpus, "psd")):
        found += [os.path.join(folder, name) for name in sorted(files) if name.lower().endswith(PSD_ENDINGS)]
    return sorted(found)


def is_folder_argument(word, words, at):
    """A path argument that names a folder: it ends with "/" and is no option's value."""
    return word.endswith("/") and not (at > 0 and words[at - 1] in ("-o", "--output"))


def run(cli, example, scratch, replace):
    """Runs the example in scratch with the paths it names replaced; returns a failure or None."""
    words = shlex.split(example, posix=True)
    redirect = ""
    if ">" in words:
        at = words.index(">")
        redirect = " > " + shlex.quote(words[at + 1])
        words = words[:at]
    words = [replace.get(word, word) for word in words]
    command = " ".join(shlex.quote(word) for word in [cli] + words[1:]) + redirect
    result = subprocess.run(command, shell=True, cwd=scratch, capture_output=True, text=True)
    if result.returncode != 0:
        return f"{example}  [{' '.join(words[1:])}]: status {result.returncode}\n{result.stderr[-2000:]}"
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--readme", required=True)
    parser.add_argument("--manual", required=True)
    args = parser.parse_args()
    if not os.path.isdir(os.path.join(args.corpus, "psd")) or not os.path.isdir(os.path.join(args.corpus, "bmp")):
        print(f"no corpus at {args.corpus}: the examples are not run on it")
        return 0
    cli = os.path.abspath(args.cli)
    examples = list(dict.fromkeys(help_examples(cli) + manual_examples(args.manual) + readme_examples(args.readme)))
    print(f"{len(examples)} examples")
    if len(examples) < 3:
        print("FAILED: the examples were not found")
        return 1
    docs = documents(args.corpus)

    with tempfile.TemporaryDirectory() as root:
        # The folders an example may name: the PSD corpus, the good BMP files, PNGs made of them.
        psd_folder = os.path.join(root, "psd")
        shutil.copytree(os.path.join(args.corpus, "psd"), psd_folder)
        bmp_folder = os.path.join(root, "bmp")
        shutil.copytree(os.path.join(args.corpus, "bmp", "g"), bmp_folder)
        png_folder = os.path.join(root, "png")
        subprocess.run([cli, "-q", "--bmp-png", "--flat", "-o", png_folder, bmp_folder], check=True)

        jobs = []
        for number, example in enumerate(examples):
            words = shlex.split(example)
            folder_words = [w for at, w in enumerate(words) if is_folder_argument(w, words, at)]
            file_words = [w for w in words if w.lower().endswith(PSD_ENDINGS) and not w.startswith("-")]
            folder = psd_folder if any(w.startswith("--psd") or w in ("--info", "--manifest") or
                                       w.startswith("--layer-info") for w in words) else \
                bmp_folder if "--bmp-png" in words else png_folder
            replace = {w: folder + "/" for w in folder_words}
            if file_words:
                for index, document in enumerate(docs):
                    scratch = os.path.join(root, f"run{number}-{index}")
                    os.makedirs(scratch)
                    copy = os.path.join(scratch, os.path.basename(document))
                    shutil.copy(document, copy)
                    jobs.append((example, scratch, dict(replace, **{w: copy for w in file_words})))
            else:
                scratch = os.path.join(root, f"run{number}")
                os.makedirs(scratch)
                jobs.append((example, scratch, replace))

        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            failures = [f for f in pool.map(lambda job: run(cli, *job), jobs) if f]
    for failure in failures:
        print("FAILED:", failure)
    print(f"{len(jobs) - len(failures)} of {len(jobs)} runs of the examples succeeded "
          f"({len(docs)} documents)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
