#!/bin/sh
# Restoring a large section file through an upload session: throughput and the command line's peak
# memory. Makes a section file of each SIZE_MB given (default 256 and 1024), restores it with
# `pagewright-cli restore` into "Travel Journal" against pagewright-emulator, and prints per size
# the time, MB/s and pagewright-cli's peak resident memory. The file is streamed from disk in
# 10 MiB fragments, so the peak should stay under 100 MB and be the same for both sizes.
#
# bench/drive/run.sh [BUILD_DIR] [SIZE_MB...]
set -eu
build=${1:-build/dev}
[ $# -gt 0 ] && shift
sizes=${*:-256 1024}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cli="$build/src/cli/pagewright-cli"
emulator="$build/emulator/pagewright-emulator"

. "$source_dir/tests/service/cli/emulator-session.sh"

begin_session "$cli" "$emulator" "$source_dir/emulator/fixtures/demo.json"
sign_in_personal
pw tree --refresh >/dev/null 2>&1 || fail "tree"

printf '%-8s %10s %10s %16s %s\n' "MB" "seconds" "MB/s" "peak memory" "outcome"
for size in $sizes; do
    file="$work/Big $size.one"
    dd if=/dev/zero of="$file" bs=1M count="$size" status=none
    start=$(date +%s.%N)
    status=0
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f '%M' -o "$work/rss" "$cli" --settings-dir "$work/settings" restore --to "Travel Journal" "$file" \
            >"$work/restore.out" 2>"$work/restore.err" || status=$?
        peak="$(($(tail -n 1 "$work/rss") / 1024)) MB"
    else
        pw restore --to "Travel Journal" "$file" >"$work/restore.out" 2>"$work/restore.err" || status=$?
        peak="(needs /usr/bin/time: apt-get install time)"
    fi
    end=$(date +%s.%N)
    seconds=$(echo "$end $start" | awk '{ printf "%.1f", $1 - $2 }')
    rate=$(echo "$size $seconds" | awk '{ printf "%.1f", ($2 > 0 ? $1 / $2 : 0) }')
    outcome=$(cut -f 1 "$work/restore.out" | head -n 1)
    [ "$status" -eq 0 ] || outcome="failed ($status): $(tail -n 1 "$work/restore.err")"
    printf '%-8s %10s %10s %16s %s\n' "$size" "$seconds" "$rate" "$peak" "$outcome"
    rm -f "$file"
done
