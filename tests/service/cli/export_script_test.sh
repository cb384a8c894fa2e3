#!/bin/sh
# pagewright-cli export against pagewright-emulator with the demo fixture: what only the command line
# does (what lands in the files is the export's own tests' work): the result list on standard output,
# one row per file written, progress on standard error and, on a terminal, as one line rewritten in
# place; the exit status for no --check, an unknown path and a failed page; a throttling wait shown.
# Usage: export_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

. "$(dirname "$0")/emulator-session.sh"
begin_session "$@"
sign_in_personal

# Without --check nothing is exported.
if pw export --kind txt --out "$work/none" >"$work/nocheck.out" 2>"$work/nocheck.err"; then fail "export without --check"; fi

pw export --kind txt --out "$work/txt" --check "Travel Journal" >"$work/txt.out" 2>"$work/txt.err" || fail "export txt"
lisbon="$work/txt/Travel Journal/Lisbon 2024"
pages=$(grep -c "	" "$work/txt.out")
files=$(find "$work/txt" -type f -name '*.txt' | wc -l)
[ "$pages" -eq "$files" ] || fail "the result list names $pages files but $files were written"
grep -q "^Success	$lisbon/Costs so far.txt\$" "$work/txt.out" || fail "the result list lacks a page"
grep -q "Lisbon 2024" "$work/txt.err" || fail "no progress on standard error"

# On a terminal the progress is one line rewritten in place (util-linux script gives the terminal).
if command -v script >/dev/null 2>&1; then
    script -qefc "\"$session_cli\" --settings-dir \"$work/settings\" export --kind txt --out \"$work/tty\" --check \"Travel Journal/Lisbon 2024\" >\"$work/tty.out\"" "$work/tty.log" >/dev/null 2>&1 </dev/null \
        || fail "export on a terminal"
    grep -q "$(printf '\r\033\\[K')" "$work/tty.log" || fail "no progress line rewritten in place on the terminal"
    # Between the lines script adds around it: the start message, the one rewritten line (which the
    # finish text ends), the report's path and the line break script adds.
    [ "$(sed '1d;$d' "$work/tty.log" | wc -l)" -le 4 ] || fail "the terminal got a line per step"
    [ "$(grep -c "	" "$work/tty.out")" -ge 4 ] || fail "the results did not go to standard output"
fi

if pw export --kind txt --out "$work/x" --check "No such notebook" >"$work/bad.out" 2>"$work/bad.err"; then
    fail "an unknown path did not fail"
fi

# An error page for one page's content: that page's row names the reason, and the exit status says
# that something failed.
# The pages read above are in the page cache: emptied, so that they are asked for again.
pw cache clear >/dev/null || fail "cache clear"
curl -s -X POST --data 'GET */pages/*/content html count=1' "$origin/_emulator/faults" >/dev/null
if pw export --kind txt --out "$work/faulty" --check "Travel Journal/Lisbon 2024" >"$work/faulty.out" 2>"$work/faulty.err"; then
    fail "an export with a failed page exited with success"
fi
grep -q "^Failure	.*	HTTP 500 Internal Server Error: 500 - Internal server error\.\$" "$work/faulty.out" \
    || fail "the failed page is not listed with its reason"
[ "$(grep -c '^Success	' "$work/faulty.out")" -ge 2 ] || fail "the other pages were not exported"

echo "cli export test passed"
