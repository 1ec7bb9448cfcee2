#!/usr/bin/env bash
# vexa-cli over a recorded machine whose drives fail at every step the program
# takes: open, geometry, length, IDENTIFY, storage descriptor, SMART data, SMART
# thresholds, layout, volume queries; a model string with control characters and
# bytes that are not UTF-8; a size of all bits set. Every command must succeed,
# print only safe text, and give the values the pages define for such drives.
#   usage: bad-input.sh SOURCE_DIR VEXA_CLI_COMMAND...
source "$(dirname "$0")/lib.sh"
file=$(arg "$root/tests/e2e/cli/failing.machine")

run() {  # COMMAND ARGS...: output of a successful, silent run
  local out status
  out=$("$@" 2>"$work/err" | tr -d '\r'; exit "${PIPESTATUS[0]}")
  status=$?
  [ "$status" -eq 0 ] || fail "$*: exit status $status: $(cat "$work/err")"
  [ -s "$work/err" ] && fail "$*: wrote to the error stream: $(cat "$work/err")"
  # Only tabs and line breaks below the blank, and valid UTF-8 throughout.
  LC_ALL=C grep -q $'[\x01-\x08\x0b-\x1f\x7f]' <<<"$out" && fail "$*: control characters in the output"
  iconv -f UTF-8 -t UTF-8 <<<"$out" >/dev/null 2>&1 || fail "$*: output is not UTF-8"
  printf '%s\n' "$out"
}
cli=("$@" --replay "$file" --set system.enum_scsi=1)

out=$(run "${cli[@]}" list) || exit 1
expected=$'P0\t未知\t0xDCDCDC\tPhysicalDrive0\t\\\\.\\PhysicalDrive0
P2\tSSD\t0x44AA44\tVEXA\\x09X\\x1B[2J\\x7FQé\\xFF\\x80 SSD\t\\\\.\\PhysicalDrive2
P3\tSSD\t0x44AA44\tVEXA THRESHOLDLESS SSD\t\\\\.\\PhysicalDrive3
P4\t未知\t0x00A5FF\tVEXA HUGE\t\\\\.\\PhysicalDrive4
S0\t未知\t0xDCDCDC\tScsi0\t\\\\.\\Scsi0:
C0\t光學\t0xC0C020\tCdRom0\t\\\\.\\CdRom0'
[ "$out" = "$expected" ] || fail "list printed:"$'\n'"$out"

for n in 1 2 3 4 5 6; do
  for command in info smart identify partitions; do run "${cli[@]}" "$command" "$n" >"$work/$command-$n" || exit 1; done
done
has() { grep -qxF -- "$2" "$work/$1" || fail "$1 lacks '$2':"$'\n'"$(cat "$work/$1")"; }

# Nothing answers: no size, no SMART, no partition table, no speed.
has info-1 $'12\tS.M.A.R.T.\t0\t不支援'
has info-1 $'16\t容量\t0\t'
has info-1 $'21\t分區\t0\t'
has info-1 $'22\t速率\t0\t未報告'
has smart-1 $'verdict: 不支援\t0'
[ "$(cat "$work/partitions-1")" = "" ] || fail "partitions of a silent drive: $(cat "$work/partitions-1")"
has identify-1 'checksum_valid: false'
# The hostile strings, escaped; SMART supported but unreadable; no media on its volume.
has info-2 $'0\t裝置名稱\t0\tVEXA\\x09X\\x1B[2J\\x7FQé\\xFF\\x80 SSD'
has info-2 $'1\t韌體\t0\tFW\\x01\\xFE'
has info-2 $'10\t介面\t0\tUnknown (25) / SATA 3'
has smart-2 $'verdict: 查詢失敗\t2'
has identify-2 'model: VEXA\x09X\x1B[2J\x7FQé\xFF\x80 SSD'
has identify-2 '[27-46] 型號: "VEXA\x09X\x1B[2J\x7FQé\xFF\x80 SSD"'
has partitions-2 $' (I:)\t\t\t\t\t1\t'
# Thresholds unreadable: the values are still listed, with no threshold.
has smart-3 $'重新分配扇區次數\t005\t\t100\t100\t\t\tSP EC OC PW\tSelfPreserving, EventCount, OnlineCollection, PrefailWarranty\t110011'
has info-3 $'12\tS.M.A.R.T.\t1\t狀態:OK'
# All bits set: unknown capacity, no unallocated space, shares within 0..100.
has info-4 $'16\t容量\t0\t'
has info-4 $'17\t超過規定\t0\t無'
has info-4 $'21\t分區\t0\t1 / 4 (MBR)'
has partitions-4 $'HUGE (H:)\t16,384.0000 PB\t16,384.0000 PB\t100.0\tNTFS\t1\t'
has partitions-4 $'主引導記錄\t16,384.0000 PB\t1.0 MB\t1\ttrue\t100.000\tNTFS | 類型: 07; 活動: 0; 認可: 1; 隱藏扇區: 2,048'
cut -f6 "$work/partitions-4" | grep -q -- '-' && fail "a negative share: $(cat "$work/partitions-4")"
# A SCSI port without IDENTIFY counts 0 sectors; an optical drive without IDENTIFY.
has info-5 $'10\t介面\t0\tSCSI'
has info-5 $'\t- 未格式化: 0 字節'
has info-6 $'0\t裝置名稱\t0\t'
has smart-6 $'verdict: 不支援\t0'
echo "vexa-cli on failing drives passed"
