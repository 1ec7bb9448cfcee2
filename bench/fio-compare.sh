#!/usr/bin/env bash
# Measures the benchmark engine against fio on the same file, in the same
# invocation, on the same access patterns, and prints one table: pattern, fio's
# figure, Vexa's figure, and their ratio (Vexa ÷ fio for rates and IOPS, fio ÷ Vexa
# for latencies, so 1.00 is a tie and above 1 Vexa is ahead). Both read with
# O_DIRECT; before every run of either side the kernel's caches are dropped (when
# permitted) so neither inherits the other's. Each pattern runs RUNS times per side,
# the two sides back to back and taking turns at going first; each run gives a
# ratio, and the table shows the medians. Also prints Vexa's CPU time per read.
#   usage: bench/fio-compare.sh [PATH] [--runs N] [--size MIB]
# PATH: a regular file or block device to read (never written). Without it a file
# of SIZE MiB (default 2048) is made under build/fio-compare/ and its blocks written,
# so reads reach the disk. On a block device give its path; it is only read.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=5
size_mib=2048
path=""
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --size) size_mib=$2; shift 2 ;;
    -*) echo "usage: bench/fio-compare.sh [PATH] [--runs N] [--size MIB]" >&2; exit 2 ;;
    *) path=$1; shift ;;
  esac
done

tools/setup.sh
build=${VEXA_BENCH_BUILD:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DVEXA_TESTS=OFF >/dev/null
cmake --build "$build" -j "${VEXA_JOBS:-$(nproc)}" --target vexa-cli >/dev/null
cli=$build/src/app/vexa-cli

if [ -z "$path" ]; then
  mkdir -p build/fio-compare
  path=build/fio-compare/test.img
  want=$((size_mib * 1048576))
  if [ ! -f "$path" ] || [ "$(stat -c %s "$path")" != "$want" ]; then
    echo "fio-compare: writing a $size_mib MiB test file at $path" >&2
    dd if=/dev/zero of="$path" bs=4M count=$((size_mib / 4)) oflag=direct status=none
  fi
fi
if [ -b "$path" ]; then bytes=$(blockdev --getsize64 "$path"); else bytes=$(stat -c %s "$path"); fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

drop() { sync; echo 3 >/proc/sys/vm/drop_caches 2>/dev/null || true; }
fio_run() {  # NAME ARGS...: one fio job, its JSON kept as NAME.RUN.json
  local name=$1; shift
  drop
  fio --name="$name" --filename="$path" --size="$bytes" --direct=1 --norandommap --randrepeat=0 \
    --output-format=json "$@" >"$out/$name.$run.fio.json"
}
vexa_run() {  # NAME ARGS...: vexa-cli's lines kept as NAME.RUN.vexa, its CPU time as .time
  local name=$1; shift
  drop
  /usr/bin/time -f "%U %S" -o "$out/$name.$run.time" "$cli" --real "$@" >"$out/$name.$run.vexa"
}

# The engine's fixed counts, which fio takes as number_ios.
access_samples=2000
transfer_samples=$((bytes / 16777216))  # 16 MiB samples side by side: one sequential pass
# Each group pairs fio's jobs with the engine's run of the same patterns; the two
# run back to back, so that the machine's slow drift (a shared host, a virtual disk
# whose cache fills) reaches both alike.
fio_group() {
  case $1 in
    mixed)
      fio_run rand4k --rw=randread --bs=4k --ioengine=psync --number_ios=4096
      fio_run seq128k --rw=read --bs=128k --ioengine=psync --number_ios=1000 ;;
    access) fio_run access --rw=randread --bs=512 --ioengine=psync --number_ios=$access_samples ;;
    transfer) fio_run seq512k --rw=read --bs=512k --ioengine=psync --number_ios=$((transfer_samples * 32)) ;;
    queued)
      for qd in 1 2 4 8 16 32; do
        # fio at its best: submissions and completions in batches of the queue depth.
        fio_run "qd$qd" --rw=randread --bs=4k --ioengine=io_uring --iodepth=$qd --number_ios=32768 \
          --iodepth_batch_submit=$qd --iodepth_batch_complete_max=$qd
        # fio as it comes (its defaults): one completion reaped, one read started,
        # which is the engine's own loop.
        fio_run "qd$qd-one" --rw=randread --bs=4k --ioengine=io_uring --iodepth=$qd --number_ios=32768
      done ;;
  esac
}
vexa_group() {
  case $1 in
    mixed) vexa_run mixed bench "$path" 5 ;;
    access) vexa_run access --set tabs.benchmark.access_samplecount=$access_samples bench "$path" 3 ;;
    transfer) vexa_run transfer --set tabs.benchmark.transfer_samplecount=$transfer_samples bench "$path" 2 ;;
    queued)
      vexa_run queued bench "$path" 1
      vexa_run queuedrandom bench "$path" 1 --random-offsets ;;
  esac
}
# One unmeasured pass over the file first: below a virtual machine the host caches
# the disk, and its first reads are many times slower than the ones after.
echo "fio-compare: one pass over $path before measuring" >&2
dd if="$path" of=/dev/null bs=4M iflag=direct status=none 2>/dev/null || dd if="$path" of=/dev/null bs=4M status=none
# The sides take turns at going first, so that neither always reads after the other.
for run in $(seq 1 "$runs"); do
  echo "fio-compare: run $run of $runs" >&2
  for group in mixed access transfer queued; do
    if [ $((run % 2)) -eq 1 ]; then fio_group $group; vexa_group $group; else vexa_group $group; fio_group $group; fi
  done
done

python3 - "$out" "$runs" <<'PY'
import json, statistics, sys
out, runs = sys.argv[1], int(sys.argv[2])

# Figures are lists with one value per run; a ratio is taken within each run, where
# both sides ran back to back, and the median of those ratios is printed.
def fio(name, what):
    values = []
    for run in range(1, runs + 1):
        job = json.load(open(f"{out}/{name}.{run}.fio.json"))["jobs"][0]["read"]
        values.append(what(job))
    return values

def vexa(name, line, field):
    values = []
    for run in range(1, runs + 1):
        rows = [l.split("\t") for l in open(f"{out}/{name}.{run}.vexa").read().splitlines()]
        values.append(float(rows[line][field]))
    return values

def cpu(name, reads):
    times = []
    for run in range(1, runs + 1):
        user, system = map(float, open(f"{out}/{name}.{run}.time").read().split()[-2:])
        times.append((user, system))
    user = statistics.median(t[0] for t in times) / reads * 1e6
    system = statistics.median(t[1] for t in times) / reads * 1e6
    return user, system

rows = []
def row(label, f, v, unit, ratios, scale):
    rows.append((label, statistics.median(f) / scale, statistics.median(v) / scale, unit, statistics.median(ratios)))
def rate(label, f, v, unit, scale=1.0):
    row(label, f, v, unit, [b / a if a else 0 for a, b in zip(f, v)], scale)
def latency(label, f, v):
    row(label, f, v, "µs", [a / b if b else 0 for a, b in zip(f, v)], 1.0)

mib = 1048576
rate("4 KiB random read, QD1 (psync)", fio("rand4k", lambda j: j["iops"]), vexa("mixed", 3, 5), "IOPS")
rate("128 KiB sequential read", fio("seq128k", lambda j: j["bw_bytes"]), vexa("mixed", 2, 6), "MiB/s", mib)
rate("512 KiB sequential read", fio("seq512k", lambda j: j["bw_bytes"]), vexa("transfer", 0, 6), "MiB/s", mib)
latency("512 B access time, mean", fio("access", lambda j: j["clat_ns"]["mean"] / 1000), vexa("access", 0, 6))
latency("512 B access time, p50", fio("access", lambda j: j["clat_ns"]["percentile"]["50.000000"] / 1000), vexa("access", 1, 1))
latency("512 B access time, p99", fio("access", lambda j: j["clat_ns"]["percentile"]["99.000000"] / 1000), vexa("access", 1, 3))
for i, qd in enumerate([1, 2, 4, 8, 16, 32]):
    f = fio(f"qd{qd}", lambda j: j["iops"])
    rate(f"4 KiB QD{qd} (io_uring), Vexa fixed offsets*", f, vexa("queued", i, 5), "IOPS")
    rate(f"4 KiB QD{qd} (io_uring), Vexa random offsets", f, vexa("queuedrandom", i, 5), "IOPS")
    rate(f"4 KiB QD{qd} (io_uring, one by one†), Vexa random offsets", fio(f"qd{qd}-one", lambda j: j["iops"]),
         vexa("queuedrandom", i, 5), "IOPS")

width = max(len(r[0]) for r in rows)
print(f"{'pattern':<{width}}  {'fio':>12}  {'Vexa':>12}  unit   ratio")
for label, f, v, unit, ratio in rows:
    print(f"{label:<{width}}  {f:>12.1f}  {v:>12.1f}  {unit:<5}  {ratio:5.2f}")
print("* The engine's queued IOPS run re-reads QD fixed offsets; fio cannot, so its closest")
print("  job reads random offsets at the same depth. The random-offset line runs the engine")
print("  the way fio reads.")
print("† fio with its defaults at the same depth: it reaps one completion and starts one read,")
print("  as the engine's loop does; the other lines batch fio's submissions and completions.")
reads = 6000 + 5000 + 1000 + 4096 + 8192 + 1
user, system = cpu("mixed", reads)
print(f"Vexa's CPU time per read (bench 5, {reads} reads): user {user:.2f} µs, system {system:.2f} µs")
reads = 6 * 32768 + 1
user, system = cpu("queued", reads)
print(f"Vexa's CPU time per read (bench 1, {reads} reads): user {user:.2f} µs, system {system:.2f} µs")
PY
