#!/usr/bin/env bash
# Rules the application's sources keep, checked by grep so that a broken rule says where.
# Each rule names what it forbids, the folders it covers and the lines it allows; add a rule
# with one more `rule` call at the end.
set -uo pipefail
cd "$(dirname "$0")/.."
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

[ $status -eq 0 ] && echo "source rules kept"
exit $status
