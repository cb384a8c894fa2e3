#!/bin/sh
# pagewright-cli export against pagewright-emulator with the demo fixture: sign in, export a notebook
# to text and to HTML, and check one file per page with the page's content, the HTML page's image
# beside it, a non-zero exit for an unknown path, that a second run adds files beside the first, and
# that on a terminal the progress is a single line rewritten in place.
# Usage: export_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

cli=$1
emulator=$2
fixture=$3

. "$(dirname "$0")/emulator-session.sh"
begin_session "$cli" "$emulator" "$fixture"
sign_in_personal

# Without --check nothing is exported.
if pw export --kind txt --out "$work/none" >"$work/nocheck.out" 2>"$work/nocheck.err"; then fail "export without --check"; fi

pw export --kind txt --out "$work/txt" --check "Travel Journal" >"$work/txt.out" 2>"$work/txt.err" || fail "export txt"
lisbon="$work/txt/Travel Journal/Lisbon 2024"
[ -f "$lisbon/Day one: Alfama.txt" ] || fail "no file for the first page"
grep -q "Landed at 9:10 & took the 744 bus" "$lisbon/Day one: Alfama.txt" || fail "the first page's text is missing"
grep -q "^        Café on the corner" "$lisbon/Day one: Alfama.txt" || fail "the nested list item is not indented twice"
[ -f "$lisbon/2.txt" ] || fail "the untitled third page is not named by its index"
[ -f "$work/txt/Travel Journal/Archive/Older/Oldest/2009/2009 page 1.txt" ] || fail "the nested groups are not mirrored"
pages=$(grep -c "	" "$work/txt.out")
files=$(find "$work/txt" -type f -name '*.txt' | wc -l)
[ "$pages" -eq "$files" ] || fail "the result list names $pages files but $files were written"
grep -q "^Success	$lisbon/Costs so far.txt\$" "$work/txt.out" || fail "the result list lacks a page"
grep -q "Lisbon 2024" "$work/txt.err" || fail "no progress on standard error"

# On a terminal the progress is one line rewritten in place (util-linux script gives the terminal).
if command -v script >/dev/null 2>&1; then
    script -qefc "\"$cli\" --settings-dir \"$work/settings\" export --kind txt --out \"$work/tty\" --check \"Travel Journal/Lisbon 2024\" >\"$work/tty.out\"" "$work/tty.log" >/dev/null 2>&1 </dev/null \
        || fail "export on a terminal"
    grep -q "$(printf '\r\033\\[K')" "$work/tty.log" || fail "no progress line rewritten in place on the terminal"
    # Between the lines script adds around it: the start message, the one rewritten line (which the
    # finish text ends), the report's path and the line break script adds.
    [ "$(sed '1d;$d' "$work/tty.log" | wc -l)" -le 4 ] || fail "the terminal got a line per step"
    [ "$(grep -c "	" "$work/tty.out")" -ge 4 ] || fail "the results did not go to standard output"
fi

pw export --kind txt --out "$work/txt" --check "Travel Journal/Lisbon 2024" >"$work/txt2.out" 2>"$work/txt2.err" || fail "second export"
[ -f "$lisbon/Day one: Alfama(1).txt" ] || fail "the second run did not write beside the first"

pw export --kind html --out "$work/html" --check "Travel Journal/Lisbon 2024" >"$work/html.out" 2>"$work/html.err" || fail "export html"
page="$work/html/Travel Journal/Lisbon 2024/Day one: Alfama.html"
[ -f "$page" ] || fail "no HTML page"
grep -q 'src="Day one: Alfama.files/[^"]*\.png"' "$page" || fail "the image is not referred to relatively"
png=$(find "$work/html/Travel Journal/Lisbon 2024/Day one: Alfama.files" -name '*.png' | head -n 1)
[ -n "$png" ] && head -c 4 "$png" | grep -q PNG || fail "the image was not saved"
[ -f "$work/html/Travel Journal/Lisbon 2024/Day one: Alfama.files/tickets.pdf" ] || fail "the attachment was not saved"
grep -q "apptags/to-do-completed.png" "$page" || fail "no tag icon"

if pw export --kind txt --out "$work/x" --check "No such notebook" >"$work/bad.out" 2>"$work/bad.err"; then
    fail "an unknown path did not fail"
fi

# An error page for one page's content: that page fails with its reason, no file holds the error
# page, the others are written, and the exit status says that something failed.
# The pages read above are in the page cache: emptied, so that they are asked for again.
pw cache clear >/dev/null || fail "cache clear"
curl -s -X POST --data 'GET */pages/*/content html count=1' "$origin/_emulator/faults" >/dev/null
if pw export --kind txt --out "$work/faulty" --check "Travel Journal/Lisbon 2024" >"$work/faulty.out" 2>"$work/faulty.err"; then
    fail "an export with a failed page exited with success"
fi
grep -q "^Failure	.*	HTTP 500 Internal Server Error: 500 - Internal server error\.\$" "$work/faulty.out" \
    || fail "the failed page is not listed with its reason"
if grep -rq "Internal server error" "$work/faulty"; then fail "an error page was saved as a page"; fi
[ "$(grep -c '^Success	' "$work/faulty.out")" -ge 2 ] || fail "the other pages were not exported"

# A throttled run waits and then succeeds: exit 0.
pw cache clear >/dev/null || fail "cache clear"
curl -s -X POST --data 'GET */pages/*/content throttle retryAfter=1 count=1' "$origin/_emulator/faults" >/dev/null
pw export --kind txt --out "$work/waited" --check "Travel Journal/Lisbon 2024" >"$work/waited.out" 2>"$work/waited.err" \
    || fail "a throttled export did not finish"
grep -q "Waiting 1 s: the service's request limit is reached" "$work/waited.err" || fail "the wait was not shown"
if grep -q "^Failure" "$work/waited.out"; then fail "a throttled page failed"; fi
echo "cli export test passed"
