#!/usr/bin/env bash
# The Benchmark page running a transfer-rate run on the sample machine's hard disk,
# paced by the wall clock (wall-clock yes on its read model), so the run takes real
# time: the curve grows while the button offers 中止; a click on 中止 stops it part
# way (the curve stays where it was, the button offers 基準測試 again); a second run
# starts from the left again, and closing the window during it stops the run and
# closes the window at once, with exit status 0 and the settings written.
#   usage: benchmark.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
# The curve is read from screenshots.
command -v import >/dev/null && command -v convert >/dev/null || fail "ImageMagick is missing (tools/setup.sh installs it)"

# The hard disk reads 512 KiB in 12.5 ms + 3.5 ms: a sample of 32 reads takes half a
# second, and the 64 samples of a whole run half a minute.
machine=$work/slow-hdd.machine
sed 's/^read-model access-us 12500 rate-mb 150 channels 1$/& wall-clock yes/' \
  "$root/samples/desktop-ssd-hdd.machine" > "$machine"
grep -q 'wall-clock yes' "$machine" || fail "the sample's hard disk has another read model now"
printf '%s\r\n' '[tabs.benchmark]' 'active_benchmark=2' 'transfer_samplecount=64' > "$work/vexa.ini"

start_vexa -replay "$(winepath -w "$machine")" -pos 0 0 -size 640 420 -device 2 -page 3
[ "$(probe tabs | grep '^\*')" = "*基準" ] || fail "the Benchmark page is not shown: $(probe tabs)"
# The run/stop button and the panel it sits on.
button=$(control_id Button '&基準測試')
panel=$(control_id TVexaBenchmarkPanel '')
[ -n "$button" ] && [ -n "$panel" ] || fail "no run button or drawing panel: $(probe controls)"
# Waits up to ten seconds for the button to say TEXT.
button_says() {
  for _ in $(seq 50); do
    [ "$(probe text "$button")" = "$1" ] && return 0
    sleep 0.2
  done
  return 1
}

# How far the transfer curve (pure green) reaches into the plot, in pixels from its
# left edge, as the screen shows it; 0 before any sample. The plot lies 16 pixels in
# from the panel's edges, above the legend's band of 57 pixels; the axis labels and
# the average's marker lie outside it.
read -r px py pw ph <<<"$(probe rect "$panel")"
plot_left=$((px + 16)) plot_top=$((py + 16)) plot_width=$((pw - 32)) plot_height=$((ph - 16 - 57))
curve() {
  screenshot "benchmark-$1"
  # Green pixels white, the rest black, each column squeezed to one pixel: a column
  # the curve touches is not black.
  convert "$shots/benchmark-$1.png" -crop "${plot_width}x$plot_height+$plot_left+$plot_top" +repage \
    -fill black +opaque '#00FF00' -fill white -opaque '#00FF00' -scale "${plot_width}x1!" -threshold 0 \
    -depth 8 txt:- | awk -F'[,:]' '/#FFFFFF/ {x = $1 + 1} END {print x + 0}'
}
[ "$(curve before)" = 0 ] || fail "a curve is drawn before any run"

# First run: progress shows, then a stop part way.
probe click "$button"
button_says "中止" || fail "the button does not offer to stop during a run"
sleep 3
early=$(curve running-early)
sleep 3
later=$(curve running-later)
[ "$early" -gt 0 ] && [ "$later" -gt "$early" ] || fail "the curve does not grow during the run ($early, then $later)"
[ "$(probe text "$button")" = "中止" ] || fail "the run ended before it was stopped"
probe click "$button"
button_says "&基準測試" || fail "the run did not stop: the button still says '$(probe text "$button")'"
stopped=$(curve stopped)
sleep 2
[ "$(curve stopped-later)" = "$stopped" ] || fail "the curve still grows after the stop"
[ "$stopped" -ge "$later" ] && [ "$stopped" -lt $((plot_width * 3 / 4)) ] ||
  fail "the stopped run does not show its part of the curve ($stopped of $plot_width pixels)"

# Second run: the page answers again, the curve starts afresh; closing the window
# ends the run and the program at once, cleanly.
probe click "$button"
button_says "中止" || fail "a second run did not start"
sleep 2
again=$(curve second-run)
[ "$again" -gt 0 ] && [ "$again" -lt "$stopped" ] || fail "the second run did not start afresh ($again after $stopped)"
started=$(date +%s)
stop_vexa
[ $(($(date +%s) - started)) -le 10 ] || fail "closing during a run waited for the run's end"
# The file held only the benchmark's section: the rest was written at the end.
ini=$(tr -d '\r' < "$work/vexa.ini")
grep -A20 '^\[tabs\]' <<<"$ini" | grep -qx 'page_index=3' || fail "the settings were not written: $ini"
grep -A20 '^\[window\]' <<<"$ini" | grep -q '^width=' || fail "the window's settings were not written: $ini"
grep -A20 '^\[tabs.benchmark\]' <<<"$ini" | grep -qx 'transfer_samplecount=64' || fail "a setting was lost: $ini"
echo "benchmark: progress $early then $later px, stopped at $stopped of $plot_width px, closed during a run"
