#!/usr/bin/env bash
# vexa-cli nvme-dump over raw NVMe blocks written here: key order, escaped texts,
# power states, 128-bit counters beyond 64 bits, sensors, a longer file read for its
# first block, and exit status 2 with one message for missing or short files.
#   usage: nvme-dump.sh SOURCE_DIR VEXA_CLI_COMMAND...
source "$(dirname "$0")/lib.sh"

python3 - "$work" <<'PY' || fail "python3 could not write the blocks"
import struct, sys
ident, health = bytearray(4096), bytearray(512)
struct.pack_into("<HH20s40s8sx3sxxHI", ident, 0, 0x144D, 0x144D, b"S6WSNS0W603261X".ljust(20),
                 b"Samsung SSD 980 PRO\x1b[2J Heatsink 1TB", b"5B2QGXA7", bytes([0x38, 0x25, 0]), 6, 0x10300)
struct.pack_into("<HH", ident, 266, 355, 0)
struct.pack_into("<QQ", ident, 280, 1000204886016, 0)
ident[263], ident[525] = 2, 0x07
for i, (mp, flags) in enumerate([(849, 0), (448, 0), (35, 3)]):
    struct.pack_into("<HxB", ident, 2048 + 32 * i, mp, flags)
struct.pack_into("<BH", health, 0, 0x05, 331)
for offset, value in [(32, 8093279), (112, 1 << 64), (176, (1 << 128) - 1)]:
    struct.pack_into("<QQ", health, offset, value & (2**64 - 1), value >> 64)
struct.pack_into("<HHH", health, 200, 331, 0, 273)
for name, data in [("id", ident), ("id-long", ident + b"\xff" * 4096), ("id-short", ident[:4095]),
                   ("health", health), ("health-short", health[:511])]:
    open(f"{sys.argv[1]}/{name}.bin", "wb").write(data)
PY

out=$("$@" nvme-dump "$(arg "$work/id-long.bin")" "$(arg "$work/health.bin")" 2>"$work/err" | tr -d '\r')
[ -s "$work/err" ] && fail "nvme-dump wrote to the error stream: $(cat "$work/err")"
keys="model serial firmware vendor_id subsystem_vendor_id ieee_oui controller_id version namespaces total_capacity
unallocated_capacity warning_temperature_c critical_temperature_c optional_admin_commands optional_nvm_commands
volatile_write_cache power_states power_state_0 power_state_1 power_state_2 critical_warning temperature_c
available_spare available_spare_threshold percentage_used data_units_read data_units_written host_read_commands
host_write_commands controller_busy_minutes power_cycles power_on_hours unsafe_shutdowns media_errors
error_log_entries warning_temperature_minutes critical_temperature_minutes temperature_sensor_1_c temperature_sensor_3_c"
[ "$(cut -f1 <<<"$out" | xargs)" = "$(xargs <<<"$keys")" ] || fail "nvme-dump printed the keys: $(cut -f1 <<<"$out" | xargs)"
for line in $'model\tSamsung SSD 980 PRO\\x1B[2J Heatsink 1TB' $'serial\tS6WSNS0W603261X' $'vendor_id\t144D' \
  $'ieee_oui\t002538' $'version\t1.3.0' $'total_capacity\t1000204886016' $'warning_temperature_c\t82' \
  $'critical_temperature_c\t' $'volatile_write_cache\t1' $'power_states\t3' $'power_state_0\t8.49 W' \
  $'power_state_2\t0.0035 W non-operational' $'critical_warning\t5' $'temperature_c\t58' \
  $'data_units_read\t8093279' $'power_cycles\t18446744073709551616' $'media_errors\t0' \
  $'error_log_entries\t340282366920938463463374607431768211455' $'temperature_sensor_3_c\t0'; do
  grep -qxF -- "$line" <<<"$out" || fail "nvme-dump lacks '$line':"$'\n'"$out"
done
[ "$("$@" nvme-dump "$(arg "$work/id.bin")" | tr -d '\r')" = "$(head -20 <<<"$out")" ] ||
  fail "the Identify block alone printed otherwise"

expect2() {  # WHAT FILE COMMAND...: exit status 2; one message naming FILE when given
  local what=$1 file=$2
  shift 2
  "$@" >"$work/out" 2>"$work/err"
  local status=$?
  [ "$status" -eq 2 ] && [ ! -s "$work/out" ] || fail "$what: exit status $status, output $(cat "$work/out")"
  [ -z "$file" ] || { [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "^vexa-cli: .*$file: " "$work/err"; } ||
    fail "$what: the message is not one line naming $file: $(cat "$work/err")"
}
expect2 "a missing file" none.bin "$@" nvme-dump "$(arg "$work/none.bin")"
expect2 "a short Identify block" id-short.bin "$@" nvme-dump "$(arg "$work/id-short.bin")"
expect2 "a short health log" health-short.bin "$@" nvme-dump "$(arg "$work/id.bin")" "$(arg "$work/health-short.bin")"
mkdir "$work/folder.bin"
expect2 "a folder" folder.bin "$@" nvme-dump "$(arg "$work/folder.bin")"
expect2 "no file" "" "$@" nvme-dump
expect2 "three files" "" "$@" nvme-dump "$(arg "$work/id.bin")" "$(arg "$work/id.bin")" "$(arg "$work/id.bin")"
# The published figures of three real drives, packed at their offsets, come back as
# the drives' own tools printed them (temperatures there are in °C already).
real=$root/../shared/samples/real/nvme
if ls "$real"/*.smartctl.json >/dev/null 2>&1; then
  for json in "$real"/*.smartctl.json; do
    name=$(basename "$json" .smartctl.json)
    python3 - "$json" "$work/$name" <<'PY' || fail "$name: python3 could not pack the figures"
import json, struct, sys
d = json.load(open(sys.argv[1], encoding="utf-8"))
h = d["nvme_smart_health_information_log"]
ident, health = bytearray(4096), bytearray(512)
oui = d["nvme_ieee_oui_identifier"]
struct.pack_into("<HH20s40s8sx3sxxHI", ident, 0, d["nvme_pci_vendor"]["id"], d["nvme_pci_vendor"]["subsystem_id"],
                 d["serial_number"].encode().ljust(20), d["model_name"].encode().ljust(40),
                 d["firmware_version"].encode().ljust(8), oui.to_bytes(3, "little"), d["nvme_controller_id"],
                 d["nvme_version"]["value"])
struct.pack_into("<QQQQ", ident, 280, d.get("nvme_total_capacity", 0), 0, d.get("nvme_unallocated_capacity", 0), 0)
struct.pack_into("<I", ident, 516, d["nvme_number_of_namespaces"])
struct.pack_into("<BHBBB", health, 0, h["critical_warning"], h["temperature"] + 273, h["available_spare"],
                 h["available_spare_threshold"], h["percentage_used"])
counters = ["data_units_read", "data_units_written", "host_reads", "host_writes", "controller_busy_time",
            "power_cycles", "power_on_hours", "unsafe_shutdowns", "media_errors", "num_err_log_entries"]
for i, key in enumerate(counters):
    struct.pack_into("<QQ", health, 32 + 16 * i, h[key] & (2**64 - 1), h[key] >> 64)
struct.pack_into("<II", health, 192, h["warning_temp_time"], h["critical_comp_time"])
open(sys.argv[2] + ".id", "wb").write(ident)
open(sys.argv[2] + ".health", "wb").write(health)
expected = {"model": d["model_name"], "serial": d["serial_number"], "firmware": d["firmware_version"],
            "vendor_id": "%04X" % d["nvme_pci_vendor"]["id"], "ieee_oui": "%06X" % oui,
            "namespaces": d["nvme_number_of_namespaces"], "total_capacity": d.get("nvme_total_capacity", 0),
            "temperature_c": h["temperature"], "percentage_used": h["percentage_used"],
            "available_spare": h["available_spare"], "power_on_hours": h["power_on_hours"],
            "unsafe_shutdowns": h["unsafe_shutdowns"], "error_log_entries": h["num_err_log_entries"]}
expected.update({key: h[source] for key, source in [
    ("data_units_read", "data_units_read"), ("data_units_written", "data_units_written"),
    ("host_read_commands", "host_reads"), ("host_write_commands", "host_writes"),
    ("controller_busy_minutes", "controller_busy_time"), ("power_cycles", "power_cycles"),
    ("media_errors", "media_errors")]})
open(sys.argv[2] + ".expected", "w", encoding="utf-8").write("".join(f"{k}\t{v}\n" for k, v in expected.items()))
PY
    out=$("$@" nvme-dump "$(arg "$work/$name.id")" "$(arg "$work/$name.health")" | tr -d '\r')
    while IFS= read -r line; do
      grep -qxF -- "$line" <<<"$out" || fail "$name: nvme-dump lacks '$line'"
    done <"$work/$name.expected"
  done
else
  echo "skip the real drives' figures: the shared samples are not beside the checkout"
fi
echo "vexa-cli nvme-dump passed"
