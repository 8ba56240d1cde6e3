#!/usr/bin/env python3
"""Validates layer manifests against the published schema (docs/manifest.schema.json).

Usage: check_manifest_schema.py SCHEMA MANIFEST...
Prints each manifest's first problems and exits 1 when any manifest does not validate."""
import json
import sys

import jsonschema


def validator(schema_path):
    with open(schema_path, encoding="utf-8") as file:
        schema = json.load(file)
    jsonschema.Draft202012Validator.check_schema(schema)
    return jsonschema.Draft202012Validator(schema)


def problems(check, manifest):
    """The schema's complaints about a parsed manifest, as short lines."""
    found = []
    for error in sorted(check.iter_errors(manifest), key=lambda e: list(e.path))[:5]:
        where = "/".join(str(part) for part in error.path) or "(top)"
        found.append(f"{where}: {error.message[:300]}")
    return found


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    check = validator(sys.argv[1])
    failed = False
    for path in sys.argv[2:]:
        with open(path, encoding="utf-8") as file:
            found = problems(check, json.load(file))
        for line in found:
            print(f"{path}: {line}")
        failed = failed or bool(found)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
