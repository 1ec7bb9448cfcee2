#!/usr/bin/env bash
# vexa-cli as a user meets it: help, version, unknown commands and bad arguments.
#   usage: basics.sh SOURCE_DIR VEXA_CLI_COMMAND...
set -uo pipefail
root=$1
shift
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { "$@" 2>/tmp/vexa-cli-err.$$ | tr -d '\r'; }

out=$(run "$@" version) || fail "version failed"
[ "$out" = "Vexa 16.09.09 beta" ] || fail "version printed '$out'"
out=$(run "$@" help) || fail "help failed"
grep -q '^  decode MODEL$' <<<"$out" || fail "help lacks decode: $out"
"$@" no-such-command >/dev/null 2>&1
[ $? -eq 2 ] || fail "an unknown command must exit 2"
"$@" >/dev/null 2>&1
[ $? -eq 2 ] || fail "no command must exit 2"
"$@" version extra >/dev/null 2>&1
[ $? -eq 2 ] || fail "bad arguments must exit 2"
rm -f /tmp/vexa-cli-err.$$
echo "vexa-cli basics passed"
