# Sourced by the command-line script tests and benches. `begin_session CLI EMULATOR FIXTURE [OPTION...]`
# makes a scratch folder in $work (removed on exit), starts pagewright-emulator on a free port
# ($origin, with the emulator options given), and binds pw() to pagewright-cli with a settings folder
# whose hosts and application ids point at it and whose intervals are zero. fail() prints the logs of
# the scratch folder and exits; a caller may define its own after sourcing. enex_file and titles
# write an Evernote export and read a section's page titles back from the emulator.

fail() {
    echo "FAIL: $*" >&2
    for f in "$work"/*.out "$work"/*.err; do
        [ -f "$f" ] && { echo "--- $f" >&2; tail -n 20 "$f" >&2; }
    done
    exit 1
}

pw() { "$session_cli" --settings-dir "$work/settings" "$@"; }

begin_session() {
    session_cli=$1
    work=$(mktemp -d)
    trap 'stop_emulator; rm -rf "$work"' EXIT
    shift
    start_emulator "$@"
    point_cli_at_emulator
    pw config set DownloadInterval 0 >/dev/null || fail "config set DownloadInterval"
    pw config set UploadInterval 0 >/dev/null || fail "config set UploadInterval"
    # The service's request limits are kept only where a test sets them.
    pw config set RequestBudget off >/dev/null || fail "config set RequestBudget"
    # As on a server: the tokens in the settings file, without a keyring or its warning.
    pw config set TokenStore file >/dev/null || fail "config set TokenStore"
}

stop_emulator() {
    if [ -n "${emulator_pid:-}" ]; then
        kill "$emulator_pid" 2>/dev/null || true
        wait "$emulator_pid" 2>/dev/null || true
        emulator_pid=
    fi
}

# start_emulator EMULATOR FIXTURE [more emulator options]
start_emulator() {
    emulator_bin=$1
    emulator_fixture=$2
    shift 2
    "$emulator_bin" --port 0 --fixture "$emulator_fixture" --auto-consent "$@" >"$work/emulator.out" 2>"$work/emulator.err" &
    emulator_pid=$!
    tries=0
    # The emulator prints its port on its first line.
    until [ -s "$work/emulator.out" ] && head -n 1 "$work/emulator.out" | grep -q '[0-9]'; do
        tries=$((tries + 1))
        [ "$tries" -gt 100 ] && fail "the emulator printed no port"
        kill -0 "$emulator_pid" 2>/dev/null || fail "the emulator ended early"
        sleep 0.1
    done
    origin="http://127.0.0.1:$(head -n 1 "$work/emulator.out" | grep -o '[0-9][0-9]*' | tail -n 1)"
    # Then one line per application id it knows.
    until grep -q '^application id ' "$work/emulator.out"; do
        kill -0 "$emulator_pid" 2>/dev/null || fail "the emulator ended early"
        sleep 0.1
    done
    client_id=$(sed -n 's/^application id //p' "$work/emulator.out" | head -n 1)
}

point_cli_at_emulator() {
    for key in Host_GlobalLogin Host_ChinaLogin Host_ConsumerLogin Host_GlobalGraph Host_ChinaGraph \
        Host_OneNoteService Host_ConsumerDocuments Host_MakerWeb; do
        pw config set "$key" "$origin" >/dev/null || fail "config set $key"
    done
    for key in ClientId_Graph ClientId_OneNote; do
        pw config set "$key" "$client_id" >/dev/null || fail "config set $key"
    done
}

# Signs in as the fixture's personal account by fetching the printed address: the emulator consents
# at once and redirects with a code.
sign_in_personal() {
    redirect=$(curl -s -o /dev/null -w '%{redirect_url}' "$(pw signin --type personal)") || fail "the sign-in address did not answer"
    pw signin --type personal --redirect "$redirect" >"$work/signin.out" 2>&1 || fail "signin"
}

# enex_file FILE TITLE COUNT writes an Evernote export of COUNT notes, "TITLE 1" to "TITLE COUNT".
enex_file() {
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo '<en-export export-date="20240101T000000Z" application="Evernote" version="10.50">'
        i=1
        while [ "$i" -le "$3" ]; do
            echo "<note><title>$2 $i</title><content><![CDATA[<en-note><div>Body of $2 $i</div></en-note>]]></content><created>20240101T000000Z</created></note>"
            i=$((i + 1))
        done
        echo '</en-export>'
    } >"$1"
}

# The titles of the pages of the section named $1, one a line, from the emulator's state.
titles() {
    curl -s "$origin/_emulator/state" | python3 -c '
import json, sys
for item in json.load(sys.stdin)["items"]:
    if item["name"] == sys.argv[1] + ".one":
        for page in item.get("pages", []):
            print(page["title"])
' "$1"
}
