#!/bin/sh
# pagewright-cli import-enex against pagewright-emulator: what only the command line does (where the
# notes land is the import's own tests' work): a dry run lists and sends nothing, the options for a
# range and for tag sections, the result rows and totals, and the exit status and message for wrong
# targets, broken files, a refused page and an unreadable note.
# Usage: import_enex_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

. "$(dirname "$0")/emulator-session.sh"
begin_session "$@"
sign_in_personal
pw tree >"$work/tree.out" 2>"$work/tree.err" || fail "tree"

enex="$work/notes.enex"
cat >"$enex" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE en-export SYSTEM "http://xml.evernote.com/pub/evernote-export3.dtd">
<en-export export-date="20230105T101500Z" application="Evernote" version="10.50">
<note><title>First note</title><content><![CDATA[<en-note><div>one</div></en-note>]]></content><created>20230101T080000Z</created><tag>Ideas</tag></note>
<note><title>Second &amp; more</title><content><![CDATA[<en-note><div>two</div><en-media hash="5d41402abc4b2a76b9719d911017c592" type="image/png"/></en-note>]]></content><created>20230102T080000Z</created><tag>ideas</tag>
<resource><data encoding="base64">aGVs
bG8=</data><mime>image/png</mime><resource-attributes><file-name>hello.png</file-name></resource-attributes></resource></note>
<note><title>Third note</title><content><![CDATA[<en-note><div>three</div></en-note>]]></content><created>2023-01-03T08:00:00.000Z</created></note>
</en-export>
XML

requests() { curl -s "$origin/_emulator/requests"; }
curl -s -X DELETE "$origin/_emulator/requests" >/dev/null

# A dry run describes the pages and parts and sends nothing.
pw import-enex "$enex" --tag-sections "Recipes" --dry-run >"$work/dry.out" 2>"$work/dry.err" \
    || fail "dry run"
[ "$(grep -c '^page: ' "$work/dry.out")" = 3 ] || fail "the dry run did not list three pages"
grep -q '^  part: 5d41402abc4b2a76b9719d911017c592 image/png 5 B$' "$work/dry.out" || fail "the dry run did not list the part"
if requests | grep -q '"method":"POST"'; then fail "the dry run sent a request"; fi

# A range into a section named by its path (letter case aside).
pw import-enex "$enex" --section "travel journal/EMPTY SECTION" --from 2 --to 3 >"$work/range.out" 2>"$work/range.err" \
    || fail "import of a range"
grep -q '^Total: 2, Success: 2, Failure: 0\.$' "$work/range.out" || fail "the range summary is wrong"
grep -q '^Success	2: Second & more$' "$work/range.out" || fail "the second note is not in the result"

# Wrong targets and broken files fail with a message.
if pw import-enex "$enex" --section "No such notebook/Nowhere" >"$work/nowhere.out" 2>"$work/nowhere.err"; then
    fail "an unknown section was accepted"
fi
[ -s "$work/nowhere.err" ] || fail "an unknown section gave no message"
printf 'not an export at all' >"$work/broken.enex"
if pw import-enex "$work/broken.enex" --section "Travel Journal/Empty section" >"$work/broken.out" 2>"$work/broken.err"; then
    fail "a broken file was accepted"
fi
grep -q "Evernote export" "$work/broken.err" || fail "a broken file gave no clear message"

# A page answered with an error page is a failure with its reason, and the exit status says so.
curl -s -X POST --data 'POST */pages html count=1' "$origin/_emulator/faults" >/dev/null
if pw import-enex "$enex" --section "Travel Journal/Empty section" --to 2 >"$work/faulty.out" 2>"$work/faulty.err"; then
    fail "an import with a failed page exited with success"
fi
grep -q '^Failure	1: First note	HTTP 500 Internal Server Error: 500 - Internal server error\.$' "$work/faulty.out" \
    || fail "the failed note is not named with its reason"
grep -q '^Total: 2, Success: 1, Failure: 1\.$' "$work/faulty.out" || fail "the totals do not add up"

# A note that cannot be read costs only itself: the others arrive, it is named with its line, and
# the run fails.
cat >"$work/third.enex" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<en-export>
<note><title>Wild one</title><content><![CDATA[<en-note>1</en-note>]]></content></note>
<note><title>Wild two</title><content><![CDATA[<en-note>2</en-note>]]></content><note-attributes><application-data key="k">a & b</application-data></note-attributes></note>
<note><title>Wild three</title><content>3</contnt></note>
<note><title>Wild four</title><content><![CDATA[<en-note>4 <![CDATA[nested]]></en-note>]]></content></note>
<note><title>Wild five</title><content><![CDATA[<en-note>5</en-note>]]></content></note>
</en-export>
XML
if pw import-enex "$work/third.enex" --section "Travel Journal/Empty section" >"$work/third.out" 2>"$work/third.err"; then
    fail "a file with an unreadable note ended as a success"
fi
grep -q '^Skipped	3: Wild three	skipped, it cannot be read at line 5, column ' "$work/third.out" \
    || fail "the unreadable note is not named with its line"
grep -q '^Total: 5, Success: 4, Failure: 1\.$' "$work/third.out" || fail "the summary of the wild file is wrong"

echo "import-enex script test passed"
