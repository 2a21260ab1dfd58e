#!/usr/bin/env bash
# The source rules list every source file over 400 lines in src, apps and tools, and fail;
# a file of 400 lines, and long files elsewhere, pass.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/src/link" "$tree/apps/harbrixctl" "$tree/tools/pedalsim" "$tree/tests"
lines() { seq "$1" | sed 's|^|// |' > "$2"; }
lines 400 "$tree/src/link/Exactly.cpp"
lines 401 "$tree/apps/harbrixctl/Long.h"
lines 900 "$tree/tools/pedalsim/Longer.cpp"
lines 900 "$tree/tests/Elsewhere.cpp"

if output=$("$here/scripts/check-sources.sh" "$tree"); then
    echo "long files passed the source rules:"; echo "$output"; exit 1
fi
expected="source rule broken: no source file over 400 lines
401 apps/harbrixctl/Long.h
900 tools/pedalsim/Longer.cpp"
[ "$output" = "$expected" ] || { echo "unexpected listing:"; echo "$output"; exit 1; }

lines 400 "$tree/apps/harbrixctl/Long.h"
lines 12 "$tree/tools/pedalsim/Longer.cpp"
output=$("$here/scripts/check-sources.sh" "$tree") || { echo "short files failed:"; echo "$output"; exit 1; }
[ "$output" = "source rules kept" ] || { echo "unexpected: $output"; exit 1; }
