#!/usr/bin/env bash
# What the window shows against what vexa-cli prints for the same machine file,
# for every drive of every sample machine and of the drives VM's capture
# (tests/e2e/vm/fixture/guest.machine, what vexa-cli --real recorded of Linux's drivers):
# - the Decoder page: the items of its owner-drawn list (each keeps its line's texts,
#   tab-separated) and the page's caption equal `vexa-cli decoder N`;
# - the Debug page: every node of its tree, collapsed or not, one tab per level
#   below the sections, and the page's caption equal `vexa-cli debug N` (the console
#   prints the tree as the page writes its log; that the tree shows only the open
#   sections is presentation);
# - the Identify page, on the NVMe machine: its rows' labels equal those of
#   `vexa-cli identify N --json` (an NVMe drive's fields, the ATA words of its hard
#   disk), and Ctrl+C on an NVMe row copies that row as the console prints it;
# - the colour of the health: the S.M.A.R.T. box of the Device page is painted in the
#   colour of the state vexa-cli gives it (red for the failing NVMe drive), read from
#   the screen, and the SMART page's worst row icon is that state.
# - on the guest's capture, which the journeys do not walk: the window's title and the
#   SMART page's rows equal `vexa-cli info N` and `vexa-cli smart N`, and its NVMe
#   drive's Identify rows are checked as above.
# Escape clears the Decoder page's selection.
#   usage: pages-vs-cli.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

states=(plain good warning bad)
# The labels of the rows the Identify page lists, from the console's JSON.
identify_labels() {  # JSON
  python3 -c 'import json, sys
document = json.load(sys.stdin)
for row in document.get("nvme") or document["rows"]:
    print(row["label"])' <<<"$1"
}

# What the console prints for each drive of a machine, into $work/cli/N.COMMAND.
console_pages() {  # MACHINE
  rm -rf "$work/cli"
  mkdir -p "$work/cli"
  local count
  count=$(cli --replay "$1" list | wc -l)
  for n in $(seq 1 "$count"); do
    for command in info smart identify decoder debug; do
      cli --replay "$1" "$command" "$n" >"$work/cli/$n.$command" || return 1
    done
    cli --replay "$1" identify "$n" --json >"$work/cli/$n.json" || return 1
  done
}
console() { cat "$work/cli/$1.$2"; }  # N COMMAND

for sample in "$root"/samples/*.machine "$root/tests/e2e/vm/fixture/guest.machine"; do
  name=$(basename "$sample" .machine)
  machine=$(winepath -w "$sample")
  # The console runs while the window starts.
  console_pages "$machine" &
  asked=$!
  start_vexa -replay "$machine" -pos 0 0
  wait "$asked" || fail "$name: vexa-cli failed"
  count=$(probe selector | wc -l)
  [ "$count" = "$(ls "$work/cli/"*.info | wc -l)" ] || fail "$name: the window lists $count drives, vexa-cli others"
  probe syscommand 64  # the Decoder page, page 8
  probe syscommand 48  # the Debug page, page 9
  probe idle
  [ "$(probe tabs | wc -l)" = 9 ] || fail "$name: the Decoder and Debug pages did not open: $(probe tabs)"

  for n in $(seq 1 "$count"); do
    drive="$name/$n"
    keys "$n" ctrl+1
    state=$(console "$n" info | awk -F'\t' '$1 == "12" {print $3}')
    ink=$(ink_state 2012)
    # A box caught mid-repaint on a busy machine reads as no colour: look again.
    for _ in 1 2; do
      [ "$ink" = unclear ] || break
      probe idle
      sleep 1
      ink=$(ink_state 2012)
    done
    [ "$ink" = "${states[$state]}" ] ||
      fail "$drive: the S.M.A.R.T. box is painted $ink, its state is ${states[$state]} ($(probe text 2012))"

    keys ctrl+2
    verdict=$(console "$n" smart | sed -n 's/^verdict: .*\t//p')
    worst=$(probe images 0 | sort -n | tail -1)
    [ -z "$worst" ] || [ "$worst" = "$verdict" ] || fail "$drive: the worst SMART row icon is $worst, the verdict's state $verdict"

    if [ "$name" = guest ]; then
      expect_same "$drive: the title" "$(probe title)" "$(console "$n" info | sed -n 's/^title: //p')"
      expect_same "$drive: the SMART rows" "$(probe list 0 | cut -f1-10)" "$(console "$n" smart | { grep -v '^verdict: ' || true; })"
    fi

    # The Identify page lists an NVMe drive's fields and the ATA words of the others:
    # on the machines that have both, its rows follow each change of drive.
    if [ "$name" = nvme-desktop ] || [ "$name" = guest ]; then
      keys ctrl+5
      json=$(console "$n" json)
      expect_same "$drive: the Identify page's rows" "$(probe listbox 0)" "$(identify_labels "$json")"
      if grep -q '^{"nvme"' <<<"$json"; then
        probe mouse ListBox 0
        keys ctrl+c
        row=$(probe selection 0)
        copied=$(console "$n" identify | awk -F'\t' -v row="$row" 'NR == row + 1 {
          printf "[%s%s] %s: %s\n", $1, $2, $3, $4 }')
        expect_same "$drive: Ctrl+C on Identify row $row" "$(probe clipboard)" "$copied"
      fi
    fi

    # Each page's lines, then its caption as the console's last line gives it.
    keys ctrl+8
    probe listbox 0 >"$work/decoder"
    keys ctrl+9
    probe tree >"$work/debug"
    probe tabs | sed -n '8s/^./caption: /p' >>"$work/decoder"
    probe tabs | sed -n '9s/^./caption: /p' >>"$work/debug"
    expect_same "$drive: the Decoder page" "$(cat "$work/decoder")" "$(console "$n" decoder)"
    expect_same "$drive: the Debug page" "$(cat "$work/debug")" "$(console "$n" debug)"
  done

  keys ctrl+8
  screenshot "pages-$name-decoder"
  # Escape (which the window's dialog keys once took) clears the Decoder page's selection.
  if [ "$name" = nvme-desktop ]; then
    probe mouse ListBox 0
    keys down
    [ "$(probe selection 0)" -ge 0 ] || fail "$name: the Down key selected no Decoder line"
    keys escape
    [ "$(probe selection 0)" = -1 ] || fail "$name: Escape did not clear the Decoder page's selection"
  fi
  keys ctrl+9
  screenshot "pages-$name-debug"
  stop_vexa
done
echo "the Decoder, Debug and Identify pages and the health colours agree with vexa-cli on every drive"
