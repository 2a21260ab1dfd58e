#!/bin/sh
# Relaunches Harbrix after it quits (after a software update). The application starts this
# script as it terminates and does not wait for it. The process to wait for is the first
# argument, else $HARBRIX_PID, else the process that started the script. The bundle is the
# one this script lives in (Harbrix.app/Contents/Resources/Scripts/bounce.sh); its path is
# taken before the update can replace the folder the script was read from.
pid=${1:-${HARBRIX_PID:-$PPID}}
here=$(cd "$(dirname "$0")" && pwd) || exit 1
bundle=$(cd "$here/../../.." && pwd) || exit 1

# Wait at most a minute for the old copy to exit.
tries=0
while kill -0 "$pid" 2>/dev/null && [ "$tries" -lt 300 ]; do
    sleep 0.2
    tries=$((tries + 1))
done

if [ "$(uname)" = Darwin ]; then
    exec /usr/bin/open "$bundle"
fi
exec "$bundle/Contents/MacOS/Harbrix" </dev/null >/dev/null 2>&1
