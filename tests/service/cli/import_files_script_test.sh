#!/bin/sh
# pagewright-cli import-files and import-tree against pagewright-emulator: files and scanned folders
# land in the section or notebook named by their outline path, one line per item with its outcome,
# a summary last, and the exit status says whether anything failed; bad names fail before anything
# is sent.
# Usage: import_files_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

. "$(dirname "$0")/emulator-session.sh"
begin_session "$@"
sign_in_personal
pw tree >"$work/tree.out" 2>"$work/tree.err" || fail "tree"

requests() { curl -s "$origin/_emulator/requests"; }
state() { curl -s "$origin/_emulator/state"; }
posts() { requests | grep -o '"method":"POST","path":"[^"]*' | grep -c "$1" || true; }

mkdir -p "$work/notes/deeper" "$work/tree/Trip/Day one_files" "$work/tree/Empty"
printf 'Fish & Chips <b>\n' >"$work/notes/A<B & C.txt"
printf 'upper case\n' >"$work/notes/deeper/LOUD.TXT"
printf 'not a text file' >"$work/notes/picture.png"
printf '<html><head></head><body><p>Day one</p><img src="Day%%20one_files/shot.png"></body></html>' \
    >"$work/tree/Trip/Day one.html"
printf '\211PNG\r\n\032\n0000' >"$work/tree/Trip/Day one_files/shot.png"
printf 'plain\n' >"$work/tree/Trip/plain.txt"
curl -s -X DELETE "$origin/_emulator/requests" >/dev/null

# A name that is not there fails before anything is sent.
if pw import-files --kind txt --section "Travel Journal/Empty section" "$work/notes" "$work/nothing here" \
    >"$work/bad.out" 2>"$work/bad.err"; then
    fail "a missing file was accepted"
fi
grep -q "nothing here" "$work/bad.err" || fail "the missing file was not named"
[ "$(posts /pages)" = 0 ] || fail "pages were sent although a name was wrong"

# A folder is scanned with its subfolders for the kind's extensions, letter case aside.
pw import-files --kind txt --section "travel journal/empty section" "$work/notes" >"$work/txt.out" 2>"$work/txt.err" \
    || fail "import of text files"
grep -q "^Success	$work/notes/A<B & C.txt$" "$work/txt.out" || fail "the text file is not listed as a success"
grep -q "^Success	$work/notes/deeper/LOUD.TXT$" "$work/txt.out" || fail "the upper-case extension was not found"
if grep -q picture "$work/txt.out"; then fail "a picture was taken as a text file"; fi
grep -q '^2 created$' "$work/txt.out" || fail "the summary is wrong"

# A refused page is a failure with its code and reason, and the exit status says so.
curl -s -X POST --data 'POST */pages error status=400 code=20117 message=Bad+page count=1' "$origin/_emulator/faults" >/dev/null
if pw import-files --kind images --section "Travel Journal/Empty section" "$work/notes/picture.png" \
    >"$work/img.out" 2>"$work/img.err"; then
    fail "a refused page exited with success"
fi
grep -q "^Failure	$work/notes/picture.png	-4: HTTP 400 .*20117" "$work/img.out" || fail "the refused page has no code and reason"
grep -q '^1 failed$' "$work/img.out" || fail "the failure summary is wrong"

# A folder tree into a notebook: folders made, files pages, the picture folder skipped.
pw import-tree "$work/tree" --notebook "Recipes" >"$work/tree1.out" 2>"$work/tree1.err" || fail "import-tree"
grep -q '^Success	Trip$' "$work/tree1.out" || fail "the group was not made"
grep -q '^Success	Trip/Trip/Day one.html$' "$work/tree1.out" || fail "the HTML page was not made"
grep -q '^Success	Empty$' "$work/tree1.out" || fail "the empty section was not made"
if grep -q 'Day one_files' "$work/tree1.out"; then fail "the picture folder was imported"; fi
grep -q '^5 created$' "$work/tree1.out" || fail "the tree summary is wrong"

# Again without a word: refused (exit 2) with the earlier run named, and nothing sent.
sent=$(posts /pages)
status=0; pw import-tree "$work/tree" --notebook "Recipes" >"$work/again.out" 2>"$work/again.err" || status=$?
[ "$status" -eq 2 ] || fail "a finished import was repeated without being asked (exit $status)"
grep -q "(2 created)" "$work/again.err" || fail "the refusal does not name the earlier run's counts"
grep -q -- "--new" "$work/again.err" && grep -q -- "--skip-imported" "$work/again.err" || fail "the refusal offers no way on"
[ "$(posts /pages)" = "$sent" ] || fail "the refused import sent pages"
[ "$(state | grep -o '"title":"Day one"' | wc -l)" -eq 1 ] || fail "the page is not there exactly once"

# With --new: every container is there already, the pages are made again.
pw import-tree "$work/tree" --notebook "Recipes" --new >"$work/tree2.out" 2>"$work/tree2.err" || fail "second import-tree"
grep -q '^Already there	Trip$' "$work/tree2.out" || fail "the group was not reused"
grep -q '^2 created, 3 already there$' "$work/tree2.out" || fail "the second summary is wrong"

if pw import-tree "$work/tree" >"$work/none.out" 2>"$work/none.err"; then fail "import-tree without a target ran"; fi
if pw import-tree "$work/tree" --notebook "No such notebook" >"$work/nb.out" 2>"$work/nb.err"; then
    fail "an unknown notebook was accepted"
fi
grep -q "No such notebook" "$work/nb.err" || fail "the unknown notebook was not named"

echo "import-files script test passed"
