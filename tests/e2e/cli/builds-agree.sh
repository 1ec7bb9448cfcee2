#!/usr/bin/env bash
# A Windows build of vexa-cli prints what the native build prints: every console
# command that reads a machine, on every device of every sample machine and of the
# failing test machine, byte for byte once line ends are made alike, with the same
# error stream and exit status. A machine each build captures over --replay is the
# same file, and the native build's capture replays in the Windows build as it
# does natively. Figures pass through floating point on their way out, where the
# 32-bit build's x87 arithmetic once gave other figures than the native build's.
#   usage: builds-agree.sh SOURCE_DIR VEXA_CLI_COMMAND...   (the Windows build's command)
# The native vexa-cli is SOURCE_DIR/build/native/src/app/vexa-cli (tools/test.sh
# builds that preset first).
source "$(dirname "$0")/lib.sh"
windows=("$@")
if [[ "$1" == */wine-run.sh && $# -eq 2 ]]; then
  # Hundreds of runs: Wine's environment (set up by lib.sh) is used directly, without
  # wine-run.sh setting it up again each time.
  unset DISPLAY
  windows=(wine "$2")
fi
native=$root/build/native/src/app/vexa-cli
[ -x "$native" ] || fail "no native vexa-cli at $native: build the native preset first" \
  "(cmake --preset native && cmake --build --preset native), then run this test again"
[ "$wine" = 1 ] || fail "this test compares a Windows build with the native one; it was given: $*"

# The commands that read a machine, one per line, with @ where the machine file
# goes: every device with every kind enabled; for an original machine also the
# --json forms, the settings that change how figures are written and more
# benchmark programs. The native build is a debug build, whose slowest runs are the
# benchmarks': the transfer runs are shortened, and the programs with the queue
# series (0, 1) and the queued transfer (4) run on the NVMe machine only. bench's
# --png is left out: only the native build draws pictures (with Cairo). submit
# needs a service and capture is compared as files below.
commands() {  # MACHINE (native path) original|captured
  local all=(--replay @ --set system.enum_scsi=1)
  local units=(--set system.fahrenheit_temp=1 --set tabs.smart.hex_id=1 --set tabs.smart.hex_raw_value=1)
  local short=(--set tabs.benchmark.transfer_samplecount=16)
  local count n what
  count=$("$native" --replay "$1" --set system.enum_scsi=1 list | wc -l)
  echo "${all[*]} list"
  if [ "$2" = captured ]; then
    for n in $(seq 1 "$count"); do
      for what in info smart identify partitions decoder debug report; do echo "${all[*]} $what $n"; done
    done
    echo "${all[*]} bench 1 5"
    return 0
  fi
  echo "${all[*]} list --json"
  for n in $(seq 1 "$count"); do
    for what in info smart identify partitions decoder debug report; do echo "${all[*]} $what $n"; done
    for what in info smart identify partitions; do echo "${all[*]} $what $n --json"; done
    echo "${all[*]} ${units[*]} info $n"
    echo "${all[*]} ${units[*]} smart $n"
    echo "${all[*]} bench $n 3"
    echo "${all[*]} bench $n 5"
  done
  echo "${all[*]} ${short[*]} bench 1 2"
  if [[ "$1" == *nvme* ]]; then
    echo "${all[*]} ${short[*]} bench 1 0"
    echo "${all[*]} bench 1 1"
    echo "${all[*]} bench 1 4"
  fi
}

# Runs every command line of every file in `lists` with that list's machine (from
# `machines` for the native program, `windows_machines` for the Windows one) and
# keeps, per line, its output, exit status and error stream in LIST.NAME/N with
# carriage returns removed.
run_lists() {  # NAME PROGRAM...
  local name=$1
  shift
  local k i j line args status dir
  for k in "${!lists[@]}"; do
    dir=${lists[k]}.$name
    mkdir -p "$dir"
    i=0
    while IFS= read -r line; do
      i=$((i + 1))
      read -ra args <<<"$line"
      for j in "${!args[@]}"; do
        [ "${args[j]}" = @ ] || continue
        if [ "$name" = native ]; then args[j]=${machines[k]}; else args[j]=${windows_machines[k]}; fi
      done
      "$@" "${args[@]}" >"$dir/$i.out" 2>"$dir/$i.err" </dev/null
      status=$?
      { cat "$dir/$i.out"; echo "exit status $status"; cat "$dir/$i.err"; } | tr -d '\r' >"$dir/$i"
      rm -f "$dir/$i.out" "$dir/$i.err"
    done <"${lists[k]}"
  done
}

problems=""
work_windows=$(arg "$work")
lists=()
machines=()
windows_machines=()
captures=0
for machine in "$root"/samples/*.machine "$root/tests/e2e/cli/failing.machine"; do
  name=$(basename "$machine" .machine)
  # Captures, with serial numbers hidden and kept: the same bytes from both builds.
  # Both are given the same relative path, which the file records.
  relative=${machine#"$root"/}
  for keep in "" --keep-serials; do
    (cd "$root" && "$native" --replay "$relative" capture "$work/$name.native$keep.machine" $keep >/dev/null 2>&1) ||
      fail "$name: the native capture $keep failed"
    (cd "$root" && "${windows[@]}" --replay "$relative" capture "$work_windows\\$name.windows$keep.machine" \
      $keep >/dev/null 2>&1) || fail "$name: the Windows capture $keep failed"
    captures=$((captures + 1))
    cmp -s "$work/$name.native$keep.machine" "$work/$name.windows$keep.machine" ||
      problems+="$name: the Windows build captures another file $keep:"$'\n'"$(diff \
        "$work/$name.native$keep.machine" "$work/$name.windows$keep.machine" | head -20)"$'\n'
  done
  # The machine itself, and the native capture replayed by both builds.
  commands "$machine" original >"$work/$name.list"
  commands "$work/$name.native.machine" captured >"$work/$name.captured.list"
  lists+=("$work/$name.list" "$work/$name.captured.list")
  machines+=("$machine" "$work/$name.native.machine")
  windows_machines+=("$(arg "$machine")" "$(arg "$work/$name.native.machine")")
done

# The native runs beside the Windows ones: they wait on different things.
run_lists native "$native" &
native_job=$!
run_lists windows "${windows[@]}"
wait "$native_job" || fail "the native runs failed"

runs=0
for list in "${lists[@]}"; do
  i=0 bad=0 report=""
  while IFS= read -r line; do
    i=$((i + 1))
    cmp -s "$list.native/$i" "$list.windows/$i" && continue
    bad=$((bad + 1))
    [ "$bad" -le 5 ] || continue
    report+=$'\n'"--- $line"$'\n'"$(diff "$list.native/$i" "$list.windows/$i" | head -12)"
    cmp -s <(grep -A5 '^exit status' "$list.native/$i") <(grep -A5 '^exit status' "$list.windows/$i") ||
      report+=$'\n'"Windows: $(grep -A5 '^exit status' "$list.windows/$i")"
  done <"$list"
  runs=$((runs + i))
  if [ "$bad" -ne 0 ]; then
    problems+="$(basename "$list" .list): $bad of $i commands print otherwise in the Windows build"
    problems+=" (< native, > Windows):$report"$'\n'
  fi
done
[ -z "$problems" ] || fail "$problems"
echo "the Windows build agrees with the native one: $runs commands and $captures captures"
