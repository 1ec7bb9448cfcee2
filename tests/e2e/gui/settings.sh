#!/usr/bin/env bash
# Settings that outlive the window:
# - the Configuration page: Right and Left step an integer, Enter and a double-click
#   open the text dialog (its prompt names the variable), typing and OK set a number
#   and a text, Escape cancels, garbage typed for an integer and 10 000 pasted
#   characters change nothing, the list has the focus back after each dialog; Ctrl+S
#   writes vexa.ini and the modified marks vanish; a new start shows the values;
# - a window dragged by its caption near the work area's top-right corner snaps to
#   it when the move ends, and a new start opens it there;
# - a session ended by log-off (WM_QUERYENDSESSION and WM_ENDSESSION, then the
#   process killed without WM_CLOSE) keeps the page and the setting changed in it.
#   usage: settings.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

machine=$(sample_machine nvme-desktop)
# The Configuration page's row of a variable (from 0) and its value cell.
row_of() { probe list 0 | cut -f1 | grep -n "^$1 " | cut -d: -f1 | awk '{print $1 - 1}'; }
value_of() { probe list 0 | awk -F'\t' -v name="$1" 'index($1, name " ") == 1 {print $2}'; }
# Opens the text dialog of a variable with Enter or a double-click; answers its prompt.
edit_dialog() {  # VARIABLE return|double
  if [ "$2" = double ]; then
    probe rowclick 0 "$(row_of "$1")" double
  else
    probe rowclick 0 "$(row_of "$1")"
    probe keys return
  fi
  probe dialog 請輸入一個值 10000 | grep $'^Static\t' | cut -f3
}
# Confirms (or cancels) the dialog, then the list has the focus again (Wine hands
# the activation back to the window a moment after the dialog has gone).
close_dialog() {  # return|escape
  probe press "$1"
  probe nodialog 10000
  for _ in $(seq 50); do
    [ "$(probe focus | cut -f1)" = SysListView32 ] && return
    sleep 0.1
  done
  fail "after the dialog the focus is on $(probe focus)"
}

start_vexa -replay "$machine"
keys f2
[ "$(active_caption)" = 組態 ] || fail "F2 did not show the Configuration page"
probe rowclick 0 "$(row_of tabs.benchmark.grid_sections)"
keys right right left
[ "$(value_of tabs.benchmark.grid_sections)" = 9 ] || fail "Right, Right, Left on 8 gave $(value_of tabs.benchmark.grid_sections)"

prompt=$(edit_dialog tabs.benchmark.access_samplecount return)
[ "$prompt" = '輸入一個新 [integer] 值為 "tabs.benchmark.access_samplecount"...' ] || fail "Enter opened the prompt '$prompt'"
probe type 750
close_dialog return
[ "$(value_of tabs.benchmark.access_samplecount)" = 750 ] || fail "typing 750 gave $(value_of tabs.benchmark.access_samplecount)"
prompt=$(edit_dialog tabs.submit.server double)
[ "$prompt" = '輸入一個新 [string] 值為 "tabs.submit.server"...' ] || fail "a double-click opened the prompt '$prompt'"
probe type collector.example
close_dialog return
[ "$(value_of tabs.submit.server)" = collector.example ] || fail "typing a server gave $(value_of tabs.submit.server)"

# Cancelled, garbage, and 10 000 characters (pasted: typing them takes Wine half a minute).
edit_dialog tabs.benchmark.grid_sections return >/dev/null
probe type 1
close_dialog escape
edit_dialog tabs.benchmark.grid_sections return >/dev/null
probe type 12abc
close_dialog return
probe clipboard 9 10000
edit_dialog tabs.benchmark.grid_sections double >/dev/null
probe press ctrl+v
close_dialog return
[ "$(value_of tabs.benchmark.grid_sections)" = 9 ] || fail "a cancel, garbage or 10 000 digits changed 9 into $(value_of tabs.benchmark.grid_sections)"

keys ctrl+s
[ "$(ini_value tabs.benchmark grid_sections)" = 9 ] || fail "Ctrl+S did not write grid_sections: $(cat "$work/vexa.ini")"
probe list 0 | cut -f1 | grep -q '\*' && fail "modified marks stay after Ctrl+S: $(probe list 0 | grep '\*')"
screenshot settings-configuration
stop_vexa
for setting in tabs.benchmark:grid_sections:9 tabs.benchmark:access_samplecount:750 tabs.submit:server:collector.example; do
  IFS=: read -r section key value <<<"$setting"
  [ "$(ini_value "$section" "$key")" = "$value" ] || fail "vexa.ini holds $section.$key=$(ini_value "$section" "$key"), not $value"
done
start_vexa -replay "$machine"
keys f2
[ "$(value_of tabs.benchmark.grid_sections) $(value_of tabs.benchmark.access_samplecount) $(value_of tabs.submit.server)" = \
  "9 750 collector.example" ] || fail "a new start shows other values: $(probe list 0 | grep -e grid_sections -e access_sample -e server)"

# A drag that ends 10 pixels left of the right edge and 7 below the top snaps to both.
read -r areaLeft areaTop areaWidth _ < <(probe workarea)
read -r _ _ width height < <(probe window)
probe drag $((areaLeft + areaWidth - width - 10)) $((areaTop + 7))
snapped="$((areaLeft + areaWidth - width)) $areaTop $width $height"
[ "$(probe window)" = "$snapped" ] || fail "the dragged window lies at $(probe window), not snapped at $snapped"
screenshot settings-snapped
stop_vexa
[ "$(ini_value window left) $(ini_value window top)" = "${snapped% * *}" ] ||
  fail "vexa.ini holds the window at $(ini_value window left) $(ini_value window top), not ${snapped% * *}"
start_vexa -replay "$machine"
[ "$(probe window)" = "$snapped" ] || fail "a new start opens the window at $(probe window), not at $snapped"

# Log-off: the page and a setting changed in the session survive the killed process.
keys f2
probe rowclick 0 "$(row_of tabs.benchmark.grid_sections)"
keys right ctrl+3
[ "$(probe endsession)" = 1 ] || fail "the window refused to let the session end"
wait "$app" || true
app=
[ "$(ini_value tabs page_index) $(ini_value tabs.benchmark grid_sections)" = "2 10" ] ||
  fail "after a log-off vexa.ini holds page $(ini_value tabs page_index) and grid_sections $(ini_value tabs.benchmark grid_sections)"
start_vexa -replay "$machine"
[ "$(active_caption)" = 分區 ] || fail "after a log-off the window starts on '$(active_caption)'"
stop_vexa
echo "the Configuration page, the snapped window and a log-off keep their settings"
