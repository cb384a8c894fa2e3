#!/bin/sh
# How well a long import keeps to the service's request limits. Imports NOTES small notes (default
# 300) with pagewright-cli against pagewright-emulator throttled to WINDOWS (default "20/2s,60/10s"),
# at zero intervals, twice: with the setting "RequestBudget" at the same windows, and with it "off".
# For each run it prints the pages created, the notes that failed, the 429 answers the emulator gave,
# and the budget use: the least time the windows allow for the requests sent, divided by the time
# the import took. The first run should show no failures, no 429 and a use of 90% or more; the
# second the refusals the budget avoids.
#
# bench/throttle/run.sh [BUILD_DIR] [NOTES] [WINDOWS]
set -eu
build=${1:-build/dev}
notes=${2:-300}
windows=${3:-20/2s,60/10s}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cli="$build/src/cli/pagewright-cli"
emulator="$build/emulator/pagewright-emulator"

. "$source_dir/tests/service/cli/emulator-session.sh"

# The least time, in seconds, in which WINDOWS let N requests go: the k-th request goes when, for
# every window COUNT/SECONDS, the request COUNT places before it is SECONDS old.
least_time() {
    echo "$1" | awk -v n="$2" -F, '{
        for (i = 1; i <= NF; i++) { split($i, w, "/"); c[i] = w[1]; s[i] = w[2] + 0; if (w[2] ~ /m$/) s[i] *= 60; if (w[2] ~ /h$/) s[i] *= 3600 }
        for (k = 0; k < n; k++) {
            t[k] = (k > 0 ? t[k - 1] : 0)
            for (i = 1; i <= NF; i++) if (k >= c[i] && t[k - c[i]] + s[i] > t[k]) t[k] = t[k - c[i]] + s[i]
        }
        printf "%.3f", (n > 0 ? t[n - 1] : 0)
    }'
}

enex=$(mktemp --suffix=.enex)
enex_file "$enex" Note "$notes"

run() {
    budget=$1
    begin_session "$cli" "$emulator" "$source_dir/emulator/fixtures/demo.json"
    sign_in_personal
    pw config set RequestBudget "$budget" >/dev/null
    # The limits count from the notebook tree on, and so does the clock: the budget counts the tree's
    # request too.
    curl -s -X POST --data "$windows" "$origin/_emulator/throttle" >/dev/null
    start=$(date +%s.%N)
    pw tree --refresh >/dev/null 2>&1
    status=0
    pw import-enex "$enex" --section "Travel Journal/Empty section" >"$work/result.out" 2>"$work/import.err" || status=$?
    end=$(date +%s.%N)
    state=$(curl -s "$origin/_emulator/state")
    refused=$(echo "$state" | sed -n 's/.*"throttle":{.*"refused":\([0-9]*\),"setting".*/\1/p')
    counted=$(echo "$state" | sed -n 's/.*"throttle":{"counted":\([0-9]*\).*/\1/p')
    summary=$(tail -n 1 "$work/result.out")
    created=$(echo "$summary" | sed -n 's/.*Success: \([0-9]*\).*/\1/p')
    failed=$(echo "$summary" | sed -n 's/.*Failure: \([0-9]*\).*/\1/p')
    sent=$((counted + refused))
    least=$(least_time "$windows" "$sent")
    awk -v b="$budget" -v c="${created:-0}" -v f="${failed:-?}" -v r="$refused" -v n="$sent" -v l="$least" \
        -v s="$start" -v e="$end" -v x="$status" 'BEGIN {
        took = e - s
        use = took > 0 ? 100 * l / took : 0
        printf "RequestBudget %-16s pages created %d, failed %s, 429 answers %d, requests sent %d, least time %.1f s, took %.1f s, use %.0f%% (exit %d)\n",
            b, c, f, r, n, l, took, use, x
    }'
    stop_emulator
    rm -rf "$work"
    trap - EXIT
}

echo "Importing $notes notes against an emulator throttled to $windows"
run "$windows"
run off
rm -f "$enex"
