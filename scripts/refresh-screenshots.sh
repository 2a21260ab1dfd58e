#!/usr/bin/env bash
# Copies the screenshots `make test` took of the application's screens and windows
# (build/screenshots/shell/) into docs/screenshots/, where the README shows them. Run after
# `make test` (or the shell's Qt tests) and commit what changed:
#   scripts/refresh-screenshots.sh [BUILD_DIR]
# Screens that are new appear; screens `make test` no longer takes are removed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
from=$build/screenshots/shell
to=$here/docs/screenshots
shopt -s nullglob
shots=("$from"/*.png)
if [ ${#shots[@]} -eq 0 ]; then
    echo "refresh-screenshots: no screenshots in $from; run make test first" >&2
    exit 1
fi
mkdir -p "$to"
for old in "$to"/*.png; do
    [ -e "$from/$(basename "$old")" ] || { rm -f "$old"; echo "removed $(basename "$old")"; }
done
for shot in "${shots[@]}"; do
    name=$(basename "$shot")
    if ! cmp -s "$shot" "$to/$name"; then
        cp "$shot" "$to/$name"
        echo "updated $name"
    fi
done
