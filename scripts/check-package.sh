#!/usr/bin/env bash
# The package stage of `make test`: checks the Debian package `make package` built, without
# root and without installing anything on this machine.
#   scripts/check-package.sh [BUILD_DIR]
# It validates the launcher and the software centres' record, lists the package and looks for
# every path a desktop installation needs, unpacks it into a temporary root with dpkg-deb -x,
# and runs the unpacked programs from there: their --version and --help, the driver check
# (which must find the packaged udev rule) and the bash completion. lintian must report no
# error.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
failures=0
fail() {
    echo "package: FAILED: $*" >&2
    failures=$((failures + 1))
}

shopt -s nullglob
debs=("$build"/package/harbrix_*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "package: expected one package in $build/package, found ${#debs[@]}" >&2; exit 1; }
deb=${debs[0]}
root=$(mktemp -d "${TMPDIR:-/tmp}/harbrix-package.XXXXXX")
trap 'rm -rf "$root"' EXIT
echo "package: $deb ($(stat -c %s "$deb") bytes)"

# Contents: every path of a desktop installation, and nothing outside /usr.
contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's,^\./,/,')
app=/usr/lib/harbrix/Harbrix.app/Contents
for path in \
    /usr/bin/harbrix /usr/bin/harbrixctl \
    $app/Info.plist $app/MacOS/Harbrix $app/MacOS/harbrixctl \
    $app/MacOS/Tolvane.app/Contents/MacOS/Tolvane \
    $app/MacOS/Tolvane.app/Contents/Resources/Scripts/Tolvane.sh \
    $app/Resources/Scripts/bounce.sh $app/Resources/Scripts/hdiutil \
    /usr/lib/udev/rules.d/60-harbrix-qor.rules \
    /usr/share/applications/com.qor.wharvel.desktop \
    /usr/share/metainfo/com.qor.wharvel.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/com.qor.wharvel.svg \
    /usr/share/icons/hicolor/256x256/apps/com.qor.wharvel.png \
    /usr/share/man/man1/harbrix.1.gz /usr/share/man/man1/harbrixctl.1.gz \
    /usr/share/bash-completion/completions/harbrixctl \
    /usr/share/doc/harbrix/copyright /usr/share/doc/harbrix/changelog.gz; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
# Fonts travel with their licence.
if grep -q "^$app/Resources/Fonts/.*\.ttf$" <<<"$contents"; then
    grep -qxF "$app/Resources/Fonts/OFL.txt" <<<"$contents" || fail "fonts without their licence"
fi
outside=$(grep -v '^/usr/' <<<"$contents" | grep -vxF / || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
# Dependencies found by dpkg-shlibdeps, not written by hand.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6widgets6 libcurl4 libssl3 libsqlite3-0; do
    grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done

dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/com.qor.wharvel.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.qor.wharvel.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate (run it on packaging/linux/com.qor.wharvel.metainfo.xml)"

# The unpacked programs, started through their links in bin.
version=$(dpkg-deb -f "$deb" Version)
expect() {  # expect WHAT EXPECTED ACTUAL
    [ "$2" = "$3" ] || fail "$1: expected \"$2\", got \"$3\""
}
expect "harbrixctl --version" "harbrixctl $version" "$("$root/usr/bin/harbrixctl" --version)"
expect "harbrix --version" "Harbrix $version" "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/harbrix" --version)"
# Read whole: grep -q stops reading at its match, and a long usage then ends in SIGPIPE.
help=$("$root/usr/bin/harbrixctl" --help) || help=""
grep -q '^usage: harbrixctl' <<<"$help" || fail "harbrixctl --help"
help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/harbrix" --help) || help=""
grep -q '^usage: Harbrix' <<<"$help" || fail "harbrix --help"
# The release records agree with the package.
expect "changelog" "harbrix ($version)" "$(zcat "$root/usr/share/doc/harbrix/changelog.gz" | head -n 1 | cut -d ' ' -f 1-2)"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/com.qor.wharvel.metainfo.xml" ||
    fail "the metainfo has no release $version"

# The driver check finds the packaged rule, so the empty window offers no installation.
expect "harbrixctl driver" "installed: $root/usr/lib/udev/rules.d/60-harbrix-qor.rules" \
    "$(HARBRIX_SYSTEM_VERSION="Linux 6.1" HARBRIX_UDEV_ROOT="$root" "$root/usr/bin/harbrixctl" driver)"

# The completion asks the unpacked harbrixctl for its commands.
completed=$(PATH="$root/usr/bin:$PATH" bash -c '
    source "$1"
    COMP_WORDS=(harbrixctl pre); COMP_CWORD=1; _harbrixctl; echo "${COMPREPLY[*]}"
    COMP_WORDS=(harbrixctl ""); COMP_CWORD=1; _harbrixctl; echo "${#COMPREPLY[@]}"' \
    _ "$root/usr/share/bash-completion/completions/harbrixctl")
expect "completion of \"pre\"" "presets" "$(head -n 1 <<<"$completed")"
expect "completion of every command" "$("$root/usr/bin/harbrixctl" --commands | wc -l)" "$(tail -n 1 <<<"$completed")"

# The manual pages render without troff's complaints.
if command -v man >/dev/null; then
    for page in harbrix harbrixctl; do
        warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null || true)
        [ -z "$warnings" ] || fail "$page.1: $warnings"
    done
fi

if command -v lintian >/dev/null; then
    status=0
    report=$(lintian --fail-on error "$deb" 2>&1) || status=$?
    grep -v 'root privileges' <<<"$report" || true
    [ "$status" -eq 0 ] || fail "lintian reports errors"
else
    fail "lintian is not installed (packaging/debian/packages.txt lists it)"
fi

if [ "$failures" -ne 0 ]; then
    echo "package: $failures check(s) failed" >&2
    exit 1
fi
echo "package: all checks passed"
