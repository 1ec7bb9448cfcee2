#!/usr/bin/env bash
# vexa.exe starts under Wine with "-page 2 -size 600 500", shows its title, closes
# on request and leaves its INI file beside it with the page index.
#   usage: start-and-close.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

start_vexa -page 2 -size 600 500
title=$(probe title)
[ "$title" = "Vexa 16.09.09 beta" ] || [[ "$title" == "Vexa 16.09.09 beta - "* ]] || fail "title is '$title'"
controls=$(probe controls)
grep -q $'^Button\t1003\t&離開$' <<<"$controls" || fail "no exit button: $controls"
grep -q '^ComboBox' <<<"$controls" || fail "no device selector"
grep -q '^SysTabControl32' <<<"$controls" || fail "no page control"
screenshot start
stop_vexa
[ -f "$work/vexa.ini" ] || fail "no vexa.ini beside vexa.exe"
ini=$(tr -d '\r' < "$work/vexa.ini")
grep -A20 '^\[tabs\]' <<<"$ini" | grep -qx 'page_index=2' || fail "tabs.page_index is not 2: $ini"
grep -A20 '^\[window\]' <<<"$ini" | grep -q '^width=' || fail "window.width was not written: $ini"
echo "vexa.exe started, showed '$title', closed and wrote vexa.ini"
