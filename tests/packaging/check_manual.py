#!/usr/bin/env python3
# Checks the manual page against quillconv-cli --help and --version, and for groff warnings.
import re
import shutil
import subprocess
import sys
from collections import defaultdict

OPTION = re.compile(r"(?<![\w-])(--[\w-]*|-\w)(?![\w-])")
ARGUMENT = re.compile(r'"((?:[^"]|"")*)"|(\S+)')
ALTERNATING = {"BR", "BI", "IR", "IB", "RB", "RI"}


def unescape(text):
    text = re.sub(r"\\f(\[[^]]*\]|\(..|.)", "", text)
    for escape, shown in (("\\-", "-"), ("\\e", "\\"), ("\\&", ""), ("\\%", ""), ("\\ ", " ")):
        text = text.replace(escape, shown)
    return text


def arguments(line):
    """The macro name and the arguments of a request line."""
    macro, _, rest = line[1:].partition(" ")
    return macro, [quoted.replace('""', '"') or bare for quoted, bare in ARGUMENT.findall(rest)]


def plain(line):
    """The text a line shows: macro names dropped, the arguments of BR, IR, ... joined."""
    if not line.startswith("."):
        return unescape(line)
    macro, words = arguments(line)
    return unescape(("" if macro in ALTERNATING else " ").join(words))


def sections(page):
    found, name = defaultdict(list), None
    for line in page.splitlines():
        if line.startswith(".SH "):
            name = plain(line).strip()
        elif name:
            found[name].append(line)
    return found


def tags(lines):
    return [plain(lines[i + 1]) for i, line in enumerate(lines[:-1]) if line.startswith(".TP")]


def flat(lines):
    return " ".join(" ".join(plain(line) for line in lines).split())


def run(*command):
    return subprocess.run(command, capture_output=True, text=True)


def check(program, manpage):
    help_text = run(program, "--help").stdout
    version = run(program, "--version").stdout.strip()
    page = open(manpage, encoding="utf-8").read()
    section = sections(page)
    problems = []

    listed = set()
    for line in help_text.splitlines():
        if line.startswith("  -"):
            listed.update(OPTION.findall(line.split("  ")[1]))
    described = {option for tag in tags(section["OPTIONS"]) for option in OPTION.findall(tag)}
    problems += [f"option {o} of --help is not in OPTIONS" for o in sorted(listed - described)]
    problems += [f"option {o} in OPTIONS is not in --help" for o in sorted(described - listed)]

    title = next((arguments(line)[1] for line in page.splitlines() if line.startswith(".TH ")), [])
    shown = title[3].split()[-1] if len(title) > 3 and title[3].split() else "(none)"
    wanted = re.search(r"\(([^)]*)\)", version)
    if not wanted or shown != wanted.group(1):
        problems.append(f".TH version {shown} differs from --version: {version}")

    usage = re.search(r"^Usage: (.*)$", help_text, re.M)
    if not usage or " ".join(usage.group(1).split()) not in flat(section["SYNOPSIS"]):
        problems.append("SYNOPSIS differs from the usage line of --help")
    examples = flat(section["EXAMPLES"])
    for line in help_text.partition("\nExamples:\n")[2].splitlines():
        if line.strip() and " ".join(line.split()) not in examples:
            problems.append(f"example of --help is not in EXAMPLES: {line.strip()}")

    sentence = re.search(r"Exit status:([^.]*)\.", " ".join(help_text.split()))
    named = re.findall(r"\b\d+\b", sentence.group(1)) if sentence else ["(none in --help)"]
    statuses = {tag.strip() for tag in tags(section["EXIT STATUS"])}
    problems += [f"exit status {s} of --help is not in EXIT STATUS" for s in named
                 if s not in statuses]

    if shutil.which("groff") is None:
        problems.append("groff is not installed (the set-up installs it)")
    else:
        problems += ["groff: " + line for line in
                     run("groff", "-man", "-ww", "-z", "-Tutf8", manpage).stderr.splitlines()]
    return problems


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: check_manual.py QUILLCONV_CLI MANPAGE")
    found = check(sys.argv[1], sys.argv[2])
    for problem in found:
        print(f"{sys.argv[2]}: {problem}", file=sys.stderr)
    sys.exit(1 if found else 0)
