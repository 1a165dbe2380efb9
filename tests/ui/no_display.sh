#!/bin/sh
# Runs the program with no display named: it must fail with one line about it.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" 2>&1)
rc=$?
echo "$out"
[ "$rc" -ne 0 ] || { echo "exit status 0"; exit 1; }
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || { echo "more than one line"; exit 1; }
printf '%s' "$out" | grep -q 'no display (neither DISPLAY nor WAYLAND_DISPLAY is set)' || exit 1
