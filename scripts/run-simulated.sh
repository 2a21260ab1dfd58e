#!/usr/bin/env bash
# Starts a simulated MIV3 on a pseudo-terminal and brings it up with harbrixctl.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bin="$here/build/bin"
dir=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$dir"' EXIT

"$bin/pedalsim" --model MIV3 --serial HBX0001 --dir "$dir" --state "$dir/pedal.json" >"$dir/ready" &
sim=$!
for _ in $(seq 1 100); do
    grep -q '^ready' "$dir/ready" 2>/dev/null && break
    sleep 0.05
done
grep -q '^ready' "$dir/ready" || { echo "the simulated pedal did not start" >&2; exit 1; }

echo "Simulated MIV3 at $dir/cu.usbserial-HBX0001"
"$bin/harbrixctl" identify "$dir/cu.usbserial-HBX0001" MIV3 "$@"
