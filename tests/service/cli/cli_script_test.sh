#!/bin/sh
# pagewright-cli against pagewright-emulator, as a user's script would use it: point a fresh
# settings folder at the emulator (started with an application id of its own), check the exit status
# of the sign-in's refusals (no id, an id the platform does not know), sign in by fetching the printed
# address, then whoami and tree, first from the service, then from the cache. The device sign-in's
# endings are the sign-in tests' work.
# Usage: cli_script_test.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE
set -eu

. "$(dirname "$0")/emulator-session.sh"
begin_session "$@" --client-id 6731de76-14a6-49ae-97bc-6eba6914391e --device-interval 0

# Before signing in, whoami and tree fail with a message.
if pw whoami >"$work/whoami0.out" 2>"$work/whoami0.err"; then fail "whoami succeeded before sign-in"; fi
grep -q "Not signed in" "$work/whoami0.err" || fail "whoami before sign-in gave no clear message"

# Without an application id: what to set and how, and status 2.
status=0
"$session_cli" --settings-dir "$work/bare" signin --type personal >/dev/null 2>"$work/noid.err" || status=$?
[ "$status" = 2 ] || fail "signin without an application id gave status $status"
grep -q "config set ClientId_Graph" "$work/noid.err" || fail "signin without an id did not say what to set"

# An id the platform does not know: the redirect from the sign-in page says so in words (the device
# code's refusal is the sign-in tests' work).
stranger=11111111-2222-3333-4444-555555555555
pw config set ClientId_Graph "$stranger" >/dev/null
redirect=$(curl -s -o /dev/null -w '%{redirect_url}' "$(pw signin --type personal)")
status=0
pw signin --type personal --redirect "$redirect" >/dev/null 2>"$work/stranger.err" || status=$?
[ "$status" = 2 ] || fail "an unknown id gave status $status"
grep -q "does not know the application id $stranger" "$work/stranger.err" || fail "an unknown id was not named"
pw config set ClientId_Graph "$client_id" >/dev/null

sign_in_personal
grep -q "Signed in as" "$work/signin.out" || fail "signin did not report the account"

pw whoami >"$work/whoami.out" 2>"$work/whoami.err" || fail "whoami after sign-in"
grep -q "Microsoft Personal Account" "$work/whoami.out" || fail "whoami does not name the account type"
grep -q "^User id: ." "$work/whoami.out" || fail "whoami shows no user id"

pw tree >"$work/tree.out" 2>"$work/tree.err" || fail "tree"
grep -q "^notebook	" "$work/tree.out" || fail "tree printed no notebook"
grep -q "^  section	" "$work/tree.out" || fail "tree printed no section below a notebook"
[ -s "$work/settings/notebooks.json" ] || fail "tree left no cache"

# From the cache: the same outline, even with the emulator gone.
kill "$emulator_pid"
wait "$emulator_pid" 2>/dev/null || true
emulator_pid=
pw tree >"$work/tree2.out" 2>"$work/tree2.err" || fail "tree from the cache"
cmp -s "$work/tree.out" "$work/tree2.out" || fail "the cached outline differs"

# With the service gone, a refresh fails with a non-zero status and a message.
if pw tree --refresh >"$work/tree3.out" 2>"$work/tree3.err"; then fail "tree --refresh succeeded without a service"; fi
[ -s "$work/tree3.err" ] || fail "tree --refresh failed without a message"

echo "cli script test passed"
