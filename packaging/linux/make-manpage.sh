#!/bin/sh
# Makes a compressed manual page from its template: @VERSION@ becomes VERSION and, with a
# harbrixctl given, the line @COMMANDS@ becomes one entry per command of `harbrixctl
# --commands`, so the page lists exactly the commands the program has.
#   make-manpage.sh TEMPLATE OUTPUT.gz VERSION [HARBRIXCTL]
set -eu
[ $# -ge 3 ] || { echo "usage: make-manpage.sh TEMPLATE OUTPUT.gz VERSION [HARBRIXCTL]" >&2; exit 2; }
template=$1 output=$2 version=$3 ctl=${4:-}
page=${output%.gz}
entries=$page.commands
: >"$entries"
if [ -n "$ctl" ]; then
    # NAME<TAB>ARGUMENTS<TAB>SUMMARY -> .TP / \fBNAME\fR \fIARGUMENTS\fR / SUMMARY, with
    # backslashes and hyphens escaped for troff.
    "$ctl" --commands | awk -F '\t' '
        function troff(s) { gsub(/\\/, "\\e", s); gsub(/-/, "\\-", s); return s }
        NF == 3 {
            print ".TP"
            head = "\\fB" troff($1) "\\fR"
            if ($2 != "") head = head " \\fI" troff($2) "\\fR"
            print head
            print troff($3)
        }' >"$entries"
    [ -s "$entries" ] || { echo "make-manpage.sh: $ctl listed no commands" >&2; exit 1; }
fi
awk -v version="$version" -v entries="$entries" '
    $0 == "@COMMANDS@" { while ((getline line < entries) > 0) print line; next }
    { gsub(/@VERSION@/, version); print }' "$template" >"$page"
rm -f "$entries"
gzip -9nf "$page"
