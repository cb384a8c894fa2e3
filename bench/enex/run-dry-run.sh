#!/bin/sh
# Conversion speed of the ENEX import: generates an export of SIZE_MB (default 1024) under the build
# folder, then times `pagewright-cli import-enex --dry-run` on it and prints MB/s of ENEX and the
# peak resident memory. The generated file stays out of the source tree.
#
# bench/enex/run-dry-run.sh [BUILD_DIR] [SIZE_MB] [IMAGE_KB]
set -eu
build=${1:-build/dev}
size=${2:-1024}
image=${3:-3072}
work="$build/bench-enex"
mkdir -p "$work/settings"
file="$work/bench-${size}MB.enex"
if [ ! -f "$file" ]; then
    "$build/bench/enex/enex_generate" "$file" "$size" "$image"
fi
bytes=$(stat -c %s "$file")
# Twice: the first run warms the page cache, the second is the one measured.
"$build/src/cli/pagewright-cli" --settings-dir "$work/settings" import-enex "$file" --section Bench/Import --dry-run >/dev/null 2>&1
/usr/bin/time -v "$build/src/cli/pagewright-cli" --settings-dir "$work/settings" import-enex "$file" \
    --section Bench/Import --dry-run >/dev/null 2>"$work/time.txt"
elapsed=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt" \
    | awk -F: '{ if (NF == 3) print $1 * 3600 + $2 * 60 + $3; else print $1 * 60 + $2 }')
peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
awk -v b="$bytes" -v s="$elapsed" -v p="$peak" 'BEGIN {
    printf "ENEX %.0f MB in %.2f s: %.0f MB/s, peak resident memory %.0f MB\n", b / 1048576, s, b / 1048576 / s, p / 1024
}'
