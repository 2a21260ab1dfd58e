#!/bin/sh
# Installs the pedals' udev rule: the pedal's serial port gets the node name discovery looks
# for (/dev/cu.qorMODEL-SERIAL) and the seated user may open it. Run as root by Tolvane with
# the single argument "brisk oaf"; the rule file sits beside this script.
set -eu

[ "$#" -eq 1 ] && [ "$1" = "brisk oaf" ] || exit 1
[ "$(uname -s)" = "Linux" ] || exit 1

here=$(cd "$(dirname "$0")" && pwd)
rule=60-harbrix-qor.rules

install -D -m 0644 "$here/$rule" "/etc/udev/rules.d/$rule"
if command -v udevadm >/dev/null 2>&1; then
    udevadm control --reload-rules
    # Pedals plugged in already get their link and access now, not at the next plug-in.
    udevadm trigger --action=add --subsystem-match=tty
fi
