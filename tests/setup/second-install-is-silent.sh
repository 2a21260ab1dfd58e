#!/usr/bin/env bash
# Once scripts/install-deps.sh has installed the packages, running it again must find
# nothing missing: no apt-get, no sudo, no output. A package name that dpkg never reports
# installed (a virtual one) would make every build ask the package manager again.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
for tool in apt-get sudo apt; do
    printf '#!/bin/sh\necho "%s $*" >> "%s/called"\nexit 1\n' "$tool" "$fake" > "$fake/$tool"
    chmod +x "$fake/$tool"
done
output=$(PATH="$fake:$PATH" "$here/scripts/install-deps.sh" 2>&1) || {
    echo "install-deps.sh failed on its second run:"
    echo "$output"
    exit 1
}
if [ -e "$fake/called" ]; then
    echo "the second run called the package manager:"
    cat "$fake/called"
    echo "$output"
    exit 1
fi
if [ -n "$output" ]; then
    echo "the second run said something although nothing was missing:"
    echo "$output"
    exit 1
fi
echo "nothing missing, nothing installed"
