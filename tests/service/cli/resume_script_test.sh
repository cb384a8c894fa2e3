#!/bin/sh
# pagewright-cli import-enex killed with SIGKILL and resumed: killed at three random points of a
# 200-note import and resumed each time, the section ends with every note exactly once; killed
# between a page's request and its answer (the emulator holds the answer back), the resumed run finds
# the page instead of making it twice. A second import of the finished file must be asked for
# (--new) and --skip-imported skips every note.
# Usage: resume_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

cli=$1
emulator=$2
fixture=$3

. "$(dirname "$0")/emulator-session.sh"
begin_session "$cli" "$emulator" "$fixture"
sign_in_personal
pw tree >"$work/tree.out" 2>&1 || fail "tree"

notes() {
    count=$1
    file=$2
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo '<en-export export-date="20240101T000000Z" application="Evernote" version="10.50">'
        i=1
        while [ "$i" -le "$count" ]; do
            echo "<note><title>Note $i</title><content><![CDATA[<en-note><div>Body of note $i</div></en-note>]]></content><created>20240101T000000Z</created></note>"
            i=$((i + 1))
        done
        echo '</en-export>'
    } >"$file"
}

# The titles of the pages of a section, one a line, from the emulator's state.
titles() {
    curl -s "$origin/_emulator/state" | python3 -c '
import json, sys
state = json.load(sys.stdin)
for item in state["items"]:
    if item["name"] == sys.argv[1] + ".one":
        for page in item.get("pages", []):
            print(page["title"])
' "$1"
}

posts() { curl -s "$origin/_emulator/requests" | grep -o '"method":"POST","path":"[^"]*/pages"' | wc -l; }

random_ms() { echo $(( $(od -An -N2 -tu2 /dev/urandom | tr -d ' ') % ($2 - $1) + $1 )); }

import_bg() {
    "$cli" --settings-dir "$work/settings" import-enex "$@" >>"$work/bg.out" 2>>"$work/bg.err" &
    import_pid=$!
}

# Three kills at random points, each followed by a resume. Every page takes the service 25 ms, so
# that the run lasts some seconds and each kill lands in the middle of it.
notes 200 "$work/n200.enex"
curl -s -X POST --data 'POST */pages delay ms=25 count=-1' "$origin/_emulator/faults" >/dev/null
import_bg "$work/n200.enex" --section "Travel Journal/Empty section"
round=1
while [ "$round" -le 3 ]; do
    ms=$(random_ms 300 1500)
    sleep "$(awk -v m="$ms" 'BEGIN { printf "%.3f", m / 1000 }')"
    kill -9 "$import_pid" 2>/dev/null || true
    wait "$import_pid" 2>/dev/null || true
    echo "round $round: killed after $ms ms with $(titles 'Empty section' | wc -l) pages" >>"$work/rounds.out"
    import_bg "$work/n200.enex" --section "Travel Journal/Empty section" --resume
    round=$((round + 1))
done
wait "$import_pid" || fail "the last resume did not finish"
[ "$(titles 'Empty section' | wc -l)" -eq 200 ] || fail "$(titles 'Empty section' | wc -l) pages instead of 200"
[ "$(titles 'Empty section' | sort -u | wc -l)" -eq 200 ] || fail "a note arrived twice"
curl -s -X DELETE "$origin/_emulator/faults" >/dev/null

# Killed while the service holds the answer to the fifth page back: the page is there, the answer
# never came. The resumed run looks and finds it.
notes 8 "$work/n8.enex"
curl -s -X DELETE "$origin/_emulator/requests" >/dev/null
curl -s -X POST --data 'POST */pages delay ms=5000 after=4 count=1' "$origin/_emulator/faults" >/dev/null
import_bg "$work/n8.enex" --section "Travel Journal/Archive/2019"
tries=0
until [ "$(posts)" -ge 5 ]; do
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && fail "the fifth page was never sent"
    sleep 0.1
done
sleep 0.3
kill -9 "$import_pid"
wait "$import_pid" 2>/dev/null || true
# Without --resume or --new the command refuses to start again over an unfinished run.
if pw import-enex "$work/n8.enex" --section "Travel Journal/Archive/2019" >"$work/again.out" 2>"$work/again.err"; then
    fail "an import over an unfinished run started without being asked"
fi
grep -q -- "--resume" "$work/again.err" || fail "the refusal does not say how to resume"
pw import-enex "$work/n8.enex" --section "Travel Journal/Archive/2019" --resume >"$work/cut.out" 2>"$work/cut.err" \
    || fail "the resume after the cut failed"
[ "$(titles '2019' | grep -c '^Note 5$')" -eq 1 ] || fail "the note cut off between request and answer is there $(titles '2019' | grep -c '^Note 5$') times"
[ "$(titles '2019' | grep -c '^Note ')" -eq 8 ] || fail "not every note of the cut run arrived"
grep -q "^Report: .*\.csv" "$work/cut.err" || fail "no report path"
report=$(sed -n 's/^Report: \(.*\.csv\) (.*/\1/p' "$work/cut.err")
[ "$(grep -c ',created,' "$report")" -eq 8 ] || fail "the report does not list the eight notes as created"

# A finished file again: --skip-imported skips every note and makes nothing.
before=$(titles '2019' | wc -l)
pw import-enex "$work/n8.enex" --section "Travel Journal/Archive/2019" --skip-imported >"$work/skip.out" 2>"$work/skip.err" \
    || fail "the import with --skip-imported failed"
[ "$(titles '2019' | wc -l)" -eq "$before" ] || fail "--skip-imported made pages"
grep -q "Skipped: 8\." "$work/skip.out" || fail "the summary does not count the skipped notes"
# Without --new or --skip-imported a finished import is refused, naming the run before it.
status=0; pw import-enex "$work/n8.enex" --section "Travel Journal/Archive/2019" >"$work/again2.out" 2>"$work/again2.err" || status=$?
[ "$status" -eq 2 ] || fail "a finished import was repeated without being asked (exit $status)"
grep -q "(8 skipped)" "$work/again2.err" || fail "the refusal does not name the earlier run and its counts"
[ "$(titles '2019' | grep -c '^Note ')" -eq 8 ] || fail "the refused import made pages"

cat "$work/rounds.out"
echo "resume script test passed"
