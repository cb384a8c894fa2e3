#!/bin/sh
# pagewright-cli search, retitle, tags and attachments against pagewright-emulator with the demo
# fixture: the hit lines and their fields, a retitle seen in a following search, the tag lines and a
# summary page, attachments listed and saved beside a file that is kept, and the exit statuses (2 for
# a wrong command line, 1 for a failed item, 0 otherwise).
# Usage: pagetasks_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

. "$(dirname "$0")/emulator-session.sh"
begin_session "$@"
sign_in_personal
notes="Travel Journal/Archive/Field notes"
tab=$(printf '\t')

# Usage errors.
status=0; pw search "" --check "$notes" >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "an empty search text is a usage error (got $status)"
status=0; pw search taxi >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "search without --check is a usage error (got $status)"
status=0; pw retitle --find x --check "$notes" >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "retitle without --replace is a usage error (got $status)"
status=0; pw attachments copy --check "$notes" >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "attachments copy is a usage error (got $status)"
status=0; pw tags --todo maybe --check "$notes" >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "--todo maybe is a usage error (got $status)"

# Search: a page line, then the image text under it, five fields each.
pw search taxi --check "$notes" >"$work/search.out" 2>"$work/search.err" || fail "search"
grep -q "^page${tab}${notes}${tab}Receipts${tab}${tab}onenote:https://" "$work/search.out" || fail "no page line"
grep -q "^image${tab}${notes}${tab}Receipts${tab}TAXI RECEIPT Lisboa 12.50 EUR${tab}onenote:.*object-id=" "$work/search.out" \
    || fail "no image-text line with its paragraph link"
[ "$(awk -F "$tab" '{ print NF }' "$work/search.out" | sort -u)" = "5" ] || fail "a hit line without five fields"

# A page whose content is refused is a failed row and the exit status says so.
# The search above left the pages in the page cache: emptied, so that they are asked for again.
pw cache clear >/dev/null || fail "cache clear"
curl -s -X POST -d "GET */content error status=404 code=20102 message=gone count=1" "$origin/_emulator/faults" >/dev/null
status=0; pw search taxi --check "$notes" >"$work/failed.out" 2>/dev/null || status=$?
[ "$status" -eq 1 ] || fail "a page that could not be read did not fail the search (got $status)"
grep -q "^Failure${tab}${notes}/PACKING CHECKLIST${tab}" "$work/failed.out" || fail "no failed row for the unread page"

# Retitle: the row shows the old and the new title.
pw retitle --find "PACK(ING)" --replace 'Pack$1 "list"' --check "$notes" >"$work/retitle.out" 2>/dev/null || fail "retitle"
grep -q "^Success${tab}PACKING CHECKLIST → PackING \"list\" CHECKLIST\$" "$work/retitle.out" || fail "no retitled row"

# Tags: one line per tag part, sorted by icon name; the summary page's link comes last.
pw tags --check "$notes" >"$work/tags.out" 2>/dev/null || fail "tags"
grep -q "^important${tab}Passport & visa copies <in the blue folder>${tab}" "$work/tags.out" || fail "no important line"
grep -q "^to-do-completed${tab}Passport & visa copies <in the blue folder>${tab}" "$work/tags.out" || fail "no done to-do line"
[ "$(tail -n 1 "$work/tags.out" | cut -f1)" = "to-do-completed" ] || fail "the lines are not sorted by icon name"
pw tags --todo unchecked --summary-to "Travel Journal/Empty section" --check "$notes" >"$work/summary.out" 2>/dev/null \
    || fail "tags with a summary"
grep -q "completed" "$work/summary.out" && fail "an unchecked-only list shows a done to-do"
grep -q "^Success${tab}Tag Summary\$" "$work/summary.out" || fail "no summary row"
tail -n 1 "$work/summary.out" | grep -q "^onenote:https://.*Empty%20section.one#Tag%20Summary" || fail "no summary link"

# Attachments: both receipts listed; saved by type, never over the user's file (the names beside it
# are the attachments tests' work).
pw attachments list --check "$notes" >"$work/list.out" 2>/dev/null || fail "attachments list"
[ "$(grep -c "^receipt.pdf${tab}application/pdf${tab}${notes}/Receipts\$" "$work/list.out")" -eq 2 ] || fail "not both receipts listed"
mkdir -p "$work/saved"
echo "mine" >"$work/saved/Receipts_receipt.pdf"
pw attachments save --out "$work/saved" --type application/pdf --check "$notes" >"$work/save.out" 2>/dev/null || fail "attachments save"
[ "$(cat "$work/saved/Receipts_receipt.pdf")" = "mine" ] || fail "the user's file was overwritten"
[ ! -e "$work/saved/Receipts_timetable.txt" ] || fail "--type did not keep a file of another type out"
[ "$(grep -c "^Success${tab}" "$work/save.out")" -eq 2 ] || fail "not two saved rows"

echo "page tasks on the command line: ok"
