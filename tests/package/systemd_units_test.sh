#!/bin/sh
# The backup's systemd user units pass `systemd-analyze --user verify` with ExecStart pointed at a
# real pagewright-cli (verify checks that the program exists).
# Usage: systemd_units_test.sh SYSTEMD_ANALYZE UNITS_FOLDER PAGEWRIGHT_CLI
set -eu
analyze=$1
units=$2
cli=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
sed "s|@PAGEWRIGHT_CLI@|$cli|" "$units/pagewright-backup.service.in" >"$work/pagewright-backup.service"
cp "$units/pagewright-backup.timer" "$work/"
cd "$work"
XDG_RUNTIME_DIR="$work/runtime" "$analyze" --user verify pagewright-backup.service pagewright-backup.timer
echo "systemd units verified"
