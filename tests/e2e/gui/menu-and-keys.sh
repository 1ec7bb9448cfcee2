#!/usr/bin/env bash
# The ways to the pages: the window's system menu opened with Alt+Space and walked
# with the arrow keys (its last four commands, from the bottom, open the Debug,
# Decoder, Submit and Configuration pages, so they come in the order 組態, 提交您的
# SSD, 解碼器型號, 除錯訊息 after the platform's own), the same commands sent as
# WM_SYSCOMMAND with the platform's low four bits set, F1 and F2, Ctrl+digit for
# every page, and -page N on the command line for the seven first pages.
# (Wine keeps a menu inside its process, so the menu's texts cannot be read from
# outside: the screenshot system-menu.png shows them.)
#   usage: menu-and-keys.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

first_pages=(裝置 S.M.A.R.T. 分區 基準 識別 提交 關於)
machine=$(sample_machine nvme-desktop)
start_vexa -replay "$machine" -pos 0 0
[ "$(probe tabs | wc -l)" = 7 ] || fail "the window does not start with seven pages: $(probe tabs)"

# The system menu: Up from its first item reaches the last; Return runs the command.
from_menu() {  # UPS: how far from the bottom
  local ups=()
  for _ in $(seq "$1"); do ups+=(up); done
  keys ctrl+1
  keys "alt+ " "${ups[@]}" return
}
probe keys "alt+ " up up up up
screenshot system-menu
probe press escape escape
from_menu 1
[[ "$(active_caption)" == "除錯 ("* ]] || fail "the last system menu command did not show the Debug page: $(active_caption)"
from_menu 2
[[ "$(active_caption)" == "解碼器 ("* ]] || fail "the command before it did not show the Decoder page: $(active_caption)"
from_menu 3
[ "$(active_page)" = 6 ] || fail "the third command from the bottom did not show the Submit page: $(active_caption)"
from_menu 4
[ "$(active_caption)" = 組態 ] || fail "the fourth command from the bottom did not show the Configuration page: $(active_caption)"
[ "$(probe tabs | wc -l)" = 10 ] || fail "the menu did not add exactly three pages: $(probe tabs)"

# The commands as messages, with the low four bits the platform keeps for itself.
for command in 51:8 79:9 37:10 28:6; do
  keys ctrl+1
  probe syscommand "${command%%:*}"
  probe idle
  [ "$(active_page)" = "${command##*:}" ] || fail "system command ${command%%:*} showed page $(active_page), not ${command##*:}"
done
[ "$(probe tabs | wc -l)" = 10 ] || fail "a system command opened a second page of a kind: $(probe tabs)"

# F1 and F2 show the About and Configuration pages; Ctrl+digit reaches every page.
keys ctrl+1 f1
[ "$(active_caption)" = 關於 ] || fail "F1 showed '$(active_caption)'"
keys ctrl+1 f2
[ "$(active_caption)" = 組態 ] || fail "F2 showed '$(active_caption)'"
for p in $(seq 9 -1 1); do
  keys "ctrl+$p"
  [ "$(active_page)" = "$p" ] || fail "Ctrl+$p showed page $(active_page)"
done
[ "$(active_caption)" = 裝置 ] || fail "Ctrl+1 did not show the first page"
stop_vexa

# -page N counts the first pages from 0.
for n in "${!first_pages[@]}"; do
  start_vexa -replay "$machine" -page "$n"
  [ "$(active_page)" = $((n + 1)) ] && [ "$(active_caption)" = "${first_pages[$n]}" ] ||
    fail "-page $n showed '$(active_caption)', not ${first_pages[$n]}"
  stop_vexa
done
echo "the system menu, F1, F2, Ctrl+digit and -page reach their pages"
