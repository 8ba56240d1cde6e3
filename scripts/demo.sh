#!/usr/bin/env bash
# Sets up, builds, and runs the command-line tool.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" linux
"$root/build/linux/app/quillconv-cli" --version
