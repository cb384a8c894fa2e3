#!/bin/sh
# pagewright-cli backup against pagewright-emulator with the demo fixture: the summary line and exit
# status a timer's monitor reads, a second run while the first holds the mirror (75, nothing done),
# and a run killed with SIGKILL mid-way and run again ending with the very files of an uninterrupted
# run.
# Usage: backup_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

. "$(dirname "$0")/emulator-session.sh"
begin_session "$@"
sign_in_personal

# The mirror's page files with their digests, the mirror's own files left out.
listing() { (cd "$1" && find . -name '.pagewright-backup*' -prune -o -type f -print | sort | xargs -d '\n' sha256sum); }

if pw backup --out "$work/none" >"$work/usage.out" 2>"$work/usage.err"; then fail "backup without --check or --all"; fi
status=0; pw backup --out "$work/none" --all --check "Recipes" >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "--all with --check exited $status, not 2"

pw backup --kind txt --out "$work/whole" --check "Travel Journal" >"$work/whole.out" 2>"$work/whole.err" || fail "backup"
[ "$(wc -l <"$work/whole.out")" -eq 1 ] || fail "standard output is not one summary line"
grep -q "^Written 14, unchanged 0, moved 0, deleted 0, failed 0, requests " "$work/whole.out" || fail "first summary: $(cat "$work/whole.out")"
[ -f "$work/whole/Travel Journal/Lisbon 2024/Day one: Alfama.txt" ] || fail "no file for the first page"
pw backup --kind txt --out "$work/whole" --check "Travel Journal" >"$work/again.out" 2>"$work/again.err" || fail "second backup"
grep -q "^Written 0, unchanged 14, moved 0, deleted 0, failed 0, requests " "$work/again.out" || fail "second summary: $(cat "$work/again.out")"

# A slow run, killed mid-way; while it runs, a second run on the same folder is turned away.
pw config set DownloadInterval 1 >/dev/null
# The program itself in the background (not pw, whose subshell would take the signal).
"$session_cli" --settings-dir "$work/settings" backup --kind txt --out "$work/killed" --check "Travel Journal" >"$work/slow.out" 2>"$work/slow.err" &
slow=$!
sleep 4
status=0; pw backup --kind txt --out "$work/killed" --check "Travel Journal" >"$work/busy.out" 2>"$work/busy.err" || status=$?
[ "$status" -eq 75 ] || fail "a second run at once exited $status, not 75"
grep -q "Another backup is running" "$work/busy.err" || fail "the second run did not say why"
kill -9 "$slow"
wait "$slow" 2>/dev/null || true
written=$(find "$work/killed" -name '*.txt' | wc -l)
[ "$written" -gt 0 ] && [ "$written" -lt 14 ] || fail "the killed run wrote $written pages, not some"
pw config set DownloadInterval 0 >/dev/null
pw backup --kind txt --out "$work/killed" --check "Travel Journal" >"$work/resumed.out" 2>"$work/resumed.err" || fail "the run after the kill"
[ "$(listing "$work/killed")" = "$(listing "$work/whole")" ] || fail "the resumed mirror differs from an uninterrupted one"
echo "backup script test passed"
