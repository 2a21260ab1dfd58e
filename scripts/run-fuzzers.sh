#!/usr/bin/env bash
# Runs every libFuzzer target in DIR for SECONDS each, with its seed corpus.
set -euo pipefail
dir=$1; seconds=$2
here=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in "$dir"/bin/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=$(mktemp -d)
    [ -d "$here/fuzz/corpus/$name" ] && cp "$here/fuzz/corpus/$name"/* "$corpus"/ 2>/dev/null || true
    echo "== $name for ${seconds}s"
    if ! "$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" >"$dir/$name.log" 2>&1; then
        echo "$name found a fault:"; tail -n 40 "$dir/$name.log"; status=1
    fi
    grep -E 'stat::number_of_executed_units' "$dir/$name.log" || true
    rm -rf "$corpus"
done
exit $status
