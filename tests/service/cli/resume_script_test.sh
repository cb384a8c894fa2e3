#!/bin/sh
# pagewright-cli import-enex killed with SIGKILL and resumed: killed at three random points of a
# 200-note import and resumed each time, the section ends with every note exactly once. Every page's
# answer is held back 25 ms, so a kill nearly always lands between a request and its answer: a note
# whose sending was not written down before the kill arrives twice. (The ledger tests hold one answer
# back on purpose.) A second import of the finished file must be asked for.
# Usage: resume_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

. "$(dirname "$0")/emulator-session.sh"
begin_session "$@"
sign_in_personal
pw tree >"$work/tree.out" 2>&1 || fail "tree"

random_ms() { echo $(( $(od -An -N2 -tu2 /dev/urandom | tr -d ' ') % ($2 - $1) + $1 )); }

import_bg() {
    "$session_cli" --settings-dir "$work/settings" import-enex "$@" >>"$work/bg.out" 2>>"$work/bg.err" &
    import_pid=$!
}

# Three kills at random points, each followed by a resume. Every page takes the service 25 ms, so
# that the run lasts some seconds and each kill lands in the middle of it.
enex_file "$work/n200.enex" Note 200
curl -s -X POST --data 'POST */pages delay ms=25 count=-1' "$origin/_emulator/faults" >/dev/null
import_bg "$work/n200.enex" --section "Travel Journal/Empty section"
round=1
while [ "$round" -le 3 ]; do
    ms=$(random_ms 300 1500)
    sleep "$(awk -v m="$ms" 'BEGIN { printf "%.3f", m / 1000 }')"
    kill -9 "$import_pid" 2>/dev/null || true
    wait "$import_pid" 2>/dev/null || true
    echo "round $round: killed after $ms ms with $(titles 'Empty section' | wc -l) pages" >>"$work/rounds.out"
    # Over an unfinished run the command refuses to start without --resume or --new.
    if [ "$round" -eq 1 ]; then
        if pw import-enex "$work/n200.enex" --section "Travel Journal/Empty section" >"$work/unfinished.out" 2>"$work/unfinished.err"; then
            fail "an import over an unfinished run started without being asked"
        fi
        grep -q -- "--resume" "$work/unfinished.err" || fail "the refusal does not say how to resume"
    fi
    import_bg "$work/n200.enex" --section "Travel Journal/Empty section" --resume
    round=$((round + 1))
done
wait "$import_pid" || fail "the last resume did not finish"
[ "$(titles 'Empty section' | wc -l)" -eq 200 ] || fail "$(titles 'Empty section' | wc -l) pages instead of 200"
[ "$(titles 'Empty section' | sort -u | wc -l)" -eq 200 ] || fail "a note arrived twice"
curl -s -X DELETE "$origin/_emulator/faults" >/dev/null

# Over a finished import the command refuses with status 2, saying how to go on.
status=0; pw import-enex "$work/n200.enex" --section "Travel Journal/Empty section" >"$work/again.out" 2>"$work/again.err" || status=$?
[ "$status" -eq 2 ] || fail "a finished import was repeated without being asked (exit $status)"
grep -q -- "--skip-imported" "$work/again.err" || fail "the refusal does not say how to go on"
[ "$(titles 'Empty section' | wc -l)" -eq 200 ] || fail "the refused run made pages"

cat "$work/rounds.out"
echo "resume script test passed"
