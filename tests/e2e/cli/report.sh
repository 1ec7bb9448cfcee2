#!/usr/bin/env bash
# vexa-cli report and --json over the bundled sample machines and the failing test
# machine: every device's report is one line of JSON without white space, with the
# report's top-level members in their order, and the --json form of list, info,
# smart, identify and partitions is valid JSON for every device.
#   usage: report.sh SOURCE_DIR VEXA_CLI_COMMAND...
source "$(dirname "$0")/lib.sh"

run() {  # FILE COMMAND...: a successful, silent run's output saved as $work/FILE
  local file=$1
  shift
  "$@" 2>"$work/err" | tr -d '\r' >"$work/$file"
  local status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || fail "$file: exit status $status: $(cat "$work/err")"
  [ -s "$work/err" ] && fail "$file: wrote to the error stream: $(cat "$work/err")"
}

for machine in "$root"/samples/*.machine "$root/tests/e2e/cli/failing.machine"; do
  name=$(basename "$machine" .machine)
  cli=("$@" --replay "$(arg "$machine")" --set system.enum_scsi=1)
  count=$("${cli[@]}" list | wc -l)
  [ "$count" -gt 0 ] || fail "$name lists no devices"
  run "$name.list.json" "${cli[@]}" list --json
  for n in $(seq 1 "$count"); do
    run "$name.report-$n.report" "${cli[@]}" report "$n"
    for command in info smart identify partitions; do
      run "$name.$command-$n.json" "${cli[@]}" "$command" "$n" --json
    done
  done
done

# Every document parses. A report is one line that a writer without white space
# writes back byte for byte, and its members come in their order.
python3 - "$work" <<'PYTHON' || exit 1
import glob, json, os, sys
members = ["timestamp", "app版本", "win版本", "信箱", "留言", "裝置訊息", "裝置詳細資訊", "smart屬性", "識別碼"]
for path in sorted(glob.glob(os.path.join(sys.argv[1], "*.json")) + glob.glob(os.path.join(sys.argv[1], "*.report"))):
    name = os.path.basename(path)
    text = open(path, encoding="utf-8").read()
    try:
        document = json.loads(text, object_pairs_hook=lambda pairs: pairs)
    except ValueError as error:
        sys.exit(f"FAIL: {name} is not valid JSON: {error}")
    if not name.endswith(".report"):
        continue
    if text.count("\n") != 1 or not text.endswith("\n"):
        sys.exit(f"FAIL: {name} is not one line")
    keys = [key for key, _ in document]
    # An NVMe drive adds its own member after the others.
    if keys != members and keys != members + ["nvme"]:
        sys.exit(f"FAIL: {name} has the members {keys}")
    compact = json.dumps(json.loads(text), ensure_ascii=False, separators=(",", ":"))
    if compact != text[:-1]:
        sys.exit(f"FAIL: {name} is not written without white space:\n{text}")
PYTHON

# The report takes exactly one device number.
desktop=$(arg "$root/samples/desktop-ssd-hdd.machine")
for args in "" "0" "4" "1 2"; do
  # shellcheck disable=SC2086
  "$@" --replay "$desktop" report $args >/dev/null 2>"$work/err"
  [ $? -eq 2 ] && [ -s "$work/err" ] || fail "report '$args' must exit 2 with a message"
done
echo "vexa-cli report and --json passed"
