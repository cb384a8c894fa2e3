#!/bin/sh
# pagewright-cli on section files in OneDrive against pagewright-emulator with the demo fixture: what
# only the command line does (which files are found, sized, saved, restored and copied is the drive
# tests' work): the rows each command prints, the report's path, and the exit status for a failed
# copy, an unknown id and a file that is no section file.
# Usage: drive_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

. "$(dirname "$0")/emulator-session.sh"
begin_session "$@"
sign_in_personal
tab=$(printf '\t')

pw lost list >"$work/lost.out" 2>"$work/lost.err" || fail "lost list"
[ "$(wc -l <"$work/lost.out")" -eq 4 ] || fail "lost list did not find the four .onetmp files"
grep -q "${tab}/Lost section.onetmp\$" "$work/lost.out" || fail "the file in the root is missing"

id=$(grep "Quick notes" "$work/lost.out" | cut -f 1)
pw lost save --out "$work/saved" --id "$id" >"$work/save.out" 2>"$work/save.err" || fail "lost save"
[ "$(find "$work/saved" -type f | wc -l)" -eq 1 ] || fail "lost save wrote other than the one file asked for"
saved=$(find "$work/saved" -type f)
grep -q "^Success${tab}$saved\$" "$work/save.out" || fail "the saved file is not on standard output"
if pw lost save --out "$work/saved" --id "no-such-id" >"$work/bad.out" 2>"$work/bad.err"; then fail "an unknown id was saved"; fi

pw sizes --check "Travel Journal" --report "$work/sizes.csv" >"$work/sizes.out" 2>"$work/sizes.err" || fail "sizes"
grep -q "Travel Journal/Archive/Older/Oldest/2009" "$work/sizes.csv" || fail "the size report's CSV has no row for a section"
[ -s "$work/sizes.html" ] || fail "no HTML report beside the CSV"
grep -q "^Report: $work/sizes.csv" "$work/sizes.err" || fail "the report's path is not told"
grep -q "^Travel Journal/Lisbon 2024${tab}4096${tab}" "$work/sizes.out" || fail "no size for a section"

mkdir -p "$work/local/Trip"
cp "$saved" "$work/local/Trip/Recovered.one"
pw restore --to "Travel Journal/Archive" "$saved" "$work/local" >"$work/restore.out" 2>"$work/restore.err" || fail "restore"
[ "$(grep -c "^Success${tab}" "$work/restore.out")" -eq 3 ] || fail "restore did not upload two files and make one folder"

pw copy-sections --to "Recipes" --check "Travel Journal/Lisbon 2024" >"$work/copy.out" 2>"$work/copy.err" || fail "copy-sections"
grep -q "^Success${tab}Recipes/Lisbon 2024\$" "$work/copy.out" || fail "the copy is not listed"
curl -s -X POST --data 'GET /_monitor/* failed code=quotaLimitReached message=No+room+left count=1' "$origin/_emulator/faults" >/dev/null
if pw copy-sections --to "Recipes" --check "Travel Journal/Packing lists" >"$work/copyfail.out" 2>"$work/copyfail.err"; then
    fail "a copy the service failed exited with success"
fi
grep -q "^Failure${tab}Recipes/Packing lists${tab}.*No room left" "$work/copyfail.out" || fail "the failed copy has no reason"

status=0
pw restore --to "Recipes" "$work/lost.out" >"$work/usage.out" 2>"$work/usage.err" || status=$?
[ "$status" -eq 2 ] || fail "a file that is no section file was not refused as bad usage"
echo "cli drive test passed"
