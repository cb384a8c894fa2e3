#!/bin/sh
# A run ledger written by the command line before features had names of their own (checked in beside
# this script, made against the emulator on port 37857 with its files in /tmp/pwledger-fixture)
# still serves: its unfinished ENEX import resumes without sending what it created, its finished one
# is skipped by --skip-imported, and its file import and export are found under their new names.
# Usage: old_ledger_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

. "$(dirname "$0")/emulator-session.sh"
begin_session "$1" "$2" "$3"
sign_in_personal
pw tree >"$work/tree.out" 2>&1 || fail "tree"

# The sources as they were when the ledger was written, byte for byte (the ledger knows their sizes).
src="$work/src"
mkdir -p "$src"
enex_file "$src/Cut.enex" Cut 6
enex_file "$src/Done.enex" Done 3
printf 'A text file\n' >"$src/plain.txt"

# The ledger moved to this emulator and folder, as a user's would be after a move: only the place changes.
cp "$(dirname "$0")/ledger-unversioned.sqlite" "$work/settings/runs.sqlite"
sql() { python3 -c 'import sqlite3, sys
c = sqlite3.connect(sys.argv[1])
for row in c.execute(sys.argv[2], sys.argv[3:]): print("|".join(str(v) for v in row))
c.commit()' "$work/settings/runs.sqlite" "$@"; }
for column in "runs SET source = replace(source" "runs SET target = replace(target" "items SET target = replace(target"; do
    sql "UPDATE $column, '/tmp/pwledger-fixture', ?)" "$src"
    sql "UPDATE $column, 'http://127.0.0.1:37857', ?)" "$origin"
done

# The cut-off run is found and resumed: the three notes it made are not sent again, the one in
# flight is looked for and sent, the two it never reached are sent.
status=0; pw import-enex "$src/Cut.enex" --section "Travel Journal/Empty section" >"$work/again.out" 2>"$work/again.err" || status=$?
[ "$status" -eq 2 ] || fail "the unfinished run was not found (exit $status)"
pw import-enex "$src/Cut.enex" --section "Travel Journal/Empty section" --resume >"$work/resume.out" 2>"$work/resume.err" \
    || fail "the resume failed"
[ "$(titles 'Empty section' | grep '^Cut ' | sort | tr '\n' ' ')" = "Cut 4 Cut 5 Cut 6 " ] \
    || fail "the resume sent $(titles 'Empty section' | grep '^Cut ' | tr '\n' ' ')"

# The finished run's notes are skipped.
pw import-enex "$src/Done.enex" --section "Travel Journal/Archive/2019" --skip-imported >"$work/skip.out" 2>"$work/skip.err" \
    || fail "the import with --skip-imported failed"
grep -q "Skipped: 3\." "$work/skip.out" || fail "the finished run's notes were not skipped"
[ "$(titles '2019' | grep -c '^Done ')" -eq 0 ] || fail "--skip-imported made pages"

# The file import is found under its feature's name: a second one is refused, naming it.
status=0; pw import-files --kind txt --section "Travel Journal/Archive/2019" "$src/plain.txt" >"$work/files.out" 2>"$work/files.err" || status=$?
[ "$status" -eq 2 ] || fail "the finished file import was not found (exit $status)"
grep -q "(1 created)" "$work/files.err" || fail "the refusal does not name the earlier file import"

[ "$(sql 'PRAGMA user_version')" -ge 2 ] || fail "the ledger is at version $(sql 'PRAGMA user_version')"
[ "$(sql 'SELECT settings FROM runs WHERE id = 3')" = "feature=import-txt;utf8=0" ] || fail "the file import's settings"
[ "$(sql 'SELECT source FROM runs WHERE id = 4')" = "export-txt" ] || fail "the export's feature"
echo "old ledger script test passed"
