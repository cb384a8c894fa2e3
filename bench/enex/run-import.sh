#!/bin/sh
# A whole ENEX import against pagewright-emulator at zero intervals: generates an export of SIZE_MB
# (default 2048, notes with images of a few MB) under the build folder, signs a fresh settings folder
# in to the emulator, imports every note into one section and prints MB/s of ENEX and the peak
# resident memory of pagewright-cli (the emulator keeps every page, so its own memory grows).
#
# bench/enex/run-import.sh [BUILD_DIR] [SIZE_MB] [IMAGE_KB]
set -eu
build=${1:-build/dev}
size=${2:-2048}
image=${3:-3072}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cli="$build/src/cli/pagewright-cli"
emulator="$build/emulator/pagewright-emulator"
generated="$build/bench-enex"
mkdir -p "$generated"
file="$generated/bench-${size}MB.enex"
[ -f "$file" ] || "$build/bench/enex/enex_generate" "$file" "$size" "$image"

. "$source_dir/tests/service/cli/emulator-session.sh"
begin_session "$cli" "$emulator" "$source_dir/emulator/fixtures/demo.json"
sign_in_personal
pw tree >/dev/null

bytes=$(stat -c %s "$file")
/usr/bin/time -v "$cli" --settings-dir "$work/settings" import-enex "$file" --section "Travel Journal/Empty section" \
    >"$work/result.out" 2>"$work/import.err" || { tail -5 "$work/result.out" "$work/import.err" >&2; exit 1; }
tail -n 1 "$work/result.out"
elapsed=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/import.err" \
    | awk -F: '{ if (NF == 3) print $1 * 3600 + $2 * 60 + $3; else print $1 * 60 + $2 }')
peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/import.err")
emulator_rss=$(ps -o rss= -p "$emulator_pid" || echo 0)
awk -v b="$bytes" -v s="$elapsed" -v p="$peak" -v e="$emulator_rss" 'BEGIN {
    printf "ENEX %.0f MB imported in %.2f s: %.0f MB/s, peak resident memory of the import %.0f MB (emulator %.0f MB)\n",
        b / 1048576, s, b / 1048576 / s, p / 1024, e / 1024
}'
# The run ledger's share of that: two writes a note (a dry run writes none).
if [ -x "$build/bench/enex/bench_ledger" ]; then
    "$build/bench/enex/bench_ledger" --benchmark_format=csv 2>/dev/null | awk -F, '/BM_LedgerPerNote/ {
        printf "run ledger: %.2f ms of wall time a note (%.2f ms CPU); a dry run keeps no ledger\n", $3 / 1000, $4 / 1000 }'
fi
