#!/usr/bin/env bash
# Starts Harbrix with simulated pedals: one pedalsim per model in PEDALS (default "MIV3"),
# all in one folder that discovery is pointed at (HARBRIX_DEV_ROOT, HARBRIX_USB_INVENTORY).
# The simulators stop when the window closes. Without a display the same session runs
# under Xvfb (or Qt's offscreen platform when Xvfb is missing) and the window is saved to
# build/screenshots/harbrix.png every 3 seconds; Ctrl-C ends it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bin="$here/build/bin"
app="$here/build/Harbrix.app/Contents/MacOS/Harbrix"
session=$(mktemp -d)
pedals="$session/pedals"
mkdir -p "$pedals" "$session/cache"
pids=()

stop() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$session"
}
trap stop EXIT
trap 'exit 130' INT TERM

number=0
for model in ${PEDALS:-MIV3}; do
    number=$((number + 1))
    serial=$(printf 'HBX%04d' "$number")
    "$bin/pedalsim" --model "$model" --serial "$serial" --dir "$pedals" \
        --state "$session/$serial.json" >"$session/$serial.ready" &
    pids+=($!)
    for _ in $(seq 1 100); do
        grep -q '^ready' "$session/$serial.ready" 2>/dev/null && break
        sleep 0.05
    done
    grep -q '^ready' "$session/$serial.ready" || { echo "the simulated $model did not start" >&2; exit 1; }
    echo "Simulated $model $serial at $pedals/cu.usbserial-$serial"
done

# The session's own cache: a new simulator starts slow, and a remembered terminal would
# tell the link it was switched to full speed already.
export XDG_CACHE_HOME="$session/cache"
export HARBRIX_DEV_ROOT="$pedals"
export HARBRIX_USB_INVENTORY="'$bin/pedalsim' inventory '$pedals'"
arguments=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    shots="$here/build/screenshots"
    echo "No display: the window is saved to $shots/harbrix.png every 3 seconds (Ctrl-C ends)."
    arguments+=(--screenshot "$shots")
    if command -v Xvfb >/dev/null; then
        display=99
        while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
            display=$((display + 1))
        done
        Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        pids+=($!)
        export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
        for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
    else
        export QT_QPA_PLATFORM=offscreen
    fi
fi
[ -n "${RUN_SECONDS:-}" ] && arguments+=(--quit-after "$RUN_SECONDS")

"$app" "${arguments[@]}" &
pids+=($!)
wait "${pids[-1]}"
