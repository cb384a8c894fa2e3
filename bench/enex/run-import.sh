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
work="$build/bench-enex"
mkdir -p "$work"
file="$work/bench-${size}MB.enex"
[ -f "$file" ] || "$build/bench/enex/enex_generate" "$file" "$size" "$image"

run=$(mktemp -d)
emulator_pid=
cleanup() {
    [ -n "$emulator_pid" ] && kill "$emulator_pid" 2>/dev/null && wait "$emulator_pid" 2>/dev/null
    rm -rf "$run"
}
trap cleanup EXIT

"$emulator" --port 0 --fixture "$source_dir/emulator/fixtures/demo.json" --auto-consent >"$run/emulator.out" 2>&1 &
emulator_pid=$!
tries=0
until head -n 1 "$run/emulator.out" 2>/dev/null | grep -q '[0-9]'; do
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && { echo "the emulator printed no port" >&2; exit 1; }
    sleep 0.1
done
origin="http://127.0.0.1:$(head -n 1 "$run/emulator.out" | grep -o '[0-9][0-9]*' | tail -n 1)"

pw() { "$cli" --settings-dir "$run/settings" "$@"; }
for key in Host_GlobalLogin Host_ChinaLogin Host_ConsumerLogin Host_GlobalGraph Host_ChinaGraph \
    Host_OneNoteService Host_ConsumerDocuments Host_MakerWeb; do
    pw config set "$key" "$origin" >/dev/null
done
pw config set UploadInterval 0 >/dev/null
redirect=$(curl -s -o /dev/null -w '%{redirect_url}' "$(pw signin --type personal)")
pw signin --type personal --redirect "$redirect" >/dev/null
pw tree >/dev/null

bytes=$(stat -c %s "$file")
/usr/bin/time -v "$cli" --settings-dir "$run/settings" import-enex "$file" --section "Travel Journal/Empty section" \
    >"$run/result.out" 2>"$run/import.err" || { tail -5 "$run/result.out" "$run/import.err" >&2; exit 1; }
tail -n 1 "$run/result.out"
elapsed=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$run/import.err" \
    | awk -F: '{ if (NF == 3) print $1 * 3600 + $2 * 60 + $3; else print $1 * 60 + $2 }')
peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$run/import.err")
emulator_rss=$(ps -o rss= -p "$emulator_pid" || echo 0)
awk -v b="$bytes" -v s="$elapsed" -v p="$peak" -v e="$emulator_rss" 'BEGIN {
    printf "ENEX %.0f MB imported in %.2f s: %.0f MB/s, peak resident memory of the import %.0f MB (emulator %.0f MB)\n",
        b / 1048576, s, b / 1048576 / s, p / 1024, e / 1024
}'
