#!/usr/bin/env bash
# Runs the end-to-end tests (label "e2e") RUNS times in a row while stress-ng keeps every core
# busy, the way a shared build machine is. Fails when any run fails; stress-ng is stopped
# however the runs end.
# Usage: scripts/e2e-stress.sh BUILD_DIR [RUNS] [JOBS]
set -uo pipefail
build=${1:?build folder}
runs=${2:-3}
jobs=${3:-2}
command -v stress-ng >/dev/null || { echo "e2e-stress: stress-ng is missing (make deps)" >&2; exit 1; }

# Its own process group, so that stopping it stops its workers too; the time-out ends it
# should this script be killed before it can.
setsid stress-ng --cpu "$(nproc)" --timeout 3h --quiet &
stress=$!
stop() {
    kill -TERM -- "-$stress" 2>/dev/null
    wait "$stress" 2>/dev/null
}
trap stop EXIT
trap 'exit 130' INT TERM

status=0
for run in $(seq 1 "$runs"); do
    echo "e2e-stress: run $run of $runs, with stress-ng --cpu $(nproc)"
    start=$SECONDS
    if (cd "$build" && ctest --output-on-failure -j"$jobs" -L e2e); then
        echo "e2e-stress: run $run passed in $((SECONDS - start)) s"
    else
        echo "e2e-stress: run $run failed after $((SECONDS - start)) s"
        status=1
    fi
done
exit $status
