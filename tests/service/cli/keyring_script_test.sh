#!/bin/sh
# The sign-in tokens in a real Secret Service. The script runs itself again inside a private D-Bus
# session (dbus-run-session) with a home folder of its own, where it starts gnome-keyring-daemon with
# a new unlocked keyring: the user's own keyring and session are never touched, and it works as root
# on a machine without a desktop. Checks: a device-code sign-in puts both tokens into the keyring
# (read back with secret-tool) and none into the settings file; tokens a file-only run left in the
# file move into the keyring at the next start; signing out empties both; without a keyring the file
# keeps them with one warning line, and TokenStore "keyring" keeps them out of the file.
# Usage: keyring_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

if [ -z "${PW_PRIVATE_SESSION:-}" ]; then
    for tool in dbus-run-session dbus-send gnome-keyring-daemon secret-tool; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps installs it)" >&2; exit 1; }
    done
    home=$(mktemp -d)
    mkdir -m 700 "$home/run"
    status=0
    env PW_PRIVATE_SESSION=1 HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
        XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/run" \
        dbus-run-session -- sh "$0" "$@" || status=$?
    rm -rf "$home"
    exit "$status"
fi

cli=$1
emulator=$2
fixture=$3

# The keyring comes first: the first program to ask for one would otherwise have the bus start a
# keyring daemon of its own, one without an unlocked keyring.
printf 'pagewright-test' | gnome-keyring-daemon --foreground --unlock --components=secrets \
    >"$HOME/keyring.out" 2>"$HOME/keyring.err" &
keyring_pid=$!
tries=0
until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q true; do
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && { cat "$HOME/keyring.err" >&2; echo "FAIL: gnome-keyring-daemon did not come up" >&2; exit 1; }
    sleep 0.1
done

. "$(dirname "$0")/emulator-session.sh"
begin_session "$cli" "$emulator" "$fixture" --device-interval 0
trap 'kill "$keyring_pid" 2>/dev/null || true; stop_emulator; rm -rf "$work"' EXIT
settings="$work/settings/zephapp.plist"
pw config set TokenStore auto >/dev/null || fail "config set TokenStore"

in_keyring() { secret-tool lookup settings "$settings" token "$1"; }
in_file() { grep -q "OnlineOneNote$1Token" "$settings"; }

# Signed in through the keyring: tokens there, not in the file, and the commands find them.
pw signin --type personal --device >"$work/signin.out" 2>"$work/signin.err" || fail "device sign-in"
refresh=$(in_keyring refresh) || fail "no refresh token in the keyring"
[ -n "$refresh" ] && [ -n "$(in_keyring access)" ] || fail "an empty token in the keyring"
if in_file Refresh || in_file Access; then fail "the settings file holds a token beside the keyring"; fi
if grep -q Warning "$work/signin.err"; then fail "a warning with a keyring: $(cat "$work/signin.err")"; fi
pw tree >"$work/tree.out" 2>"$work/tree.err" || fail "tree with the keyring's tokens"

# A file-only run leaves its tokens in the file; the next start with a keyring moves them.
pw config set TokenStore file >/dev/null
pw signin --type work --device >/dev/null 2>&1 || fail "device sign-in to the file"
file_refresh=$(pw config get OnlineOneNoteRefreshToken 2>/dev/null) || fail "the file-only run kept no token in the file"
pw config set TokenStore auto >/dev/null
pw whoami >"$work/whoami.out" 2>&1 || fail "whoami after the move"
[ "$(in_keyring refresh)" = "$file_refresh" ] || fail "the file's refresh token did not move into the keyring"
if in_file Refresh || in_file Access; then fail "moved tokens stayed in the file"; fi

# Signing out empties both.
pw signout >/dev/null || fail "signout"
if in_keyring refresh >/dev/null || in_keyring access >/dev/null; then fail "tokens left in the keyring after signout"; fi
if in_file Refresh || in_file Access; then fail "tokens left in the file after signout"; fi

# No keyring answers: the file keeps the tokens, with one warning line.
no_bus="unix:path=$work/no-such-bus"
DBUS_SESSION_BUS_ADDRESS=$no_bus pw signin --type personal --device >/dev/null 2>"$work/nobus.err" \
    || fail "device sign-in without a keyring"
[ "$(grep -c '^Warning: No system keyring answered' "$work/nobus.err")" = 1 ] || fail "not one warning line: $(cat "$work/nobus.err")"
in_file Refresh || fail "without a keyring the tokens are not in the file"
DBUS_SESSION_BUS_ADDRESS=$no_bus pw tree >/dev/null 2>&1 || fail "tree with the file's tokens"

# TokenStore "keyring" without a keyring: the tokens stay out of the file.
pw config set TokenStore keyring >/dev/null
DBUS_SESSION_BUS_ADDRESS=$no_bus pw signin --type personal --device >"$work/memory.out" 2>"$work/memory.err" \
    || fail "device sign-in, keyring only, without a keyring"
grep -q "for this run only" "$work/memory.err" || fail "no warning that the tokens last for this run only"
if in_file Refresh || in_file Access; then fail "TokenStore keyring wrote tokens into the file"; fi

echo "keyring script test passed"
