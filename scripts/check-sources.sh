#!/usr/bin/env bash
# Rules the application's sources keep, checked by grep so that a broken rule says where.
# Each rule names what it forbids, the folders it covers and the lines it allows; add a rule
# with one more `rule` call at the end. Checks the tree the script is in, or the one given.
set -uo pipefail
cd "${1:-$(dirname "$0")/..}" || exit 2
status=0

# rule NAME FORBIDDEN ALLOWED FOLDER...: every line of the folders' C++ files that matches the
# FORBIDDEN pattern (extended regular expression) breaks the rule, unless its "path:line:text"
# matches ALLOWED ('' allows nothing).
rule() {
    local name=$1 forbidden=$2 allowed=$3
    shift 3
    local found
    found=$(grep -rnE --include='*.cpp' --include='*.h' "$forbidden" "$@" |
        { if [ -n "$allowed" ]; then grep -vE "$allowed"; else cat; fi; })
    if [ -n "$found" ]; then
        echo "source rule broken: $name"
        echo "$found"
        status=1
    fi
}

# The main thread never waits in a nested event loop: a pedal that leaves meanwhile takes the
# screen, and the object that waits, with it. Questions, choosers and drags answer later;
# only the program's entry point runs the application's loop.
rule "no nested event loops" 'exec\(|QEventLoop|processEvents' \
    '^apps/[^/]+/main\.cpp:[0-9]+: *return (Q?Application)::exec\(\);' src apps

# Files short enough to read whole: every source file of the application, its programs and its
# tools over 400 lines is listed with its length.
long=$(find src apps tools -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.mm' \) \
    -print0 2>/dev/null | xargs -0 -r wc -l | awk '$2 != "total" && $1 > 400 { print $1, $2 }' | sort -k2)
if [ -n "$long" ]; then
    echo "source rule broken: no source file over 400 lines"
    echo "$long"
    status=1
fi

[ $status -eq 0 ] && echo "source rules kept"
exit $status
