#!/usr/bin/env bash
# Measures whole runs of the release program against the goals.
# The default run:
#   wall time   median of paired runs, program / cp of its two files   goal <= 2.0
#   instructions  one run under callgrind                               goal <= 15 million
#   memory      peak resident set size                                   goal <= 4 MiB
# A large run, 2^20 samples (--dt=0.001 --tau=0.1):
#   wall time   beside cp of its two files (reported)
#   instructions per output byte                                         goal <= the default run's
#   memory      peak resident set size                     goal <= 24 bytes x samples + 4 MiB
# Usage: bash bench/measure.sh [pairs] [large pairs]   (default 200 and 5 pairs)
set -euo pipefail
cd "$(dirname "$0")/.."
pairs=${1:-200}
large_pairs=${2:-5}
large_samples=1048576
large_args=(--dt=0.001 --tau=0.1 --samples=$large_samples --no-pause)

need() {  # command, Debian package
  command -v "$1" > /dev/null 2>&1 && return
  if [[ $(id -u) -eq 0 ]]; then
    apt-get install -y "$2" > /dev/null 2>&1 || { apt-get update > /dev/null && apt-get install -y "$2" > /dev/null; }
  else
    echo "measure: $1 is missing; install it with: sudo apt-get install $2" >&2
    exit 1
  fi
}
need valgrind valgrind
need /usr/bin/time time
need python3 python3

cmake --preset release > /dev/null
cmake --build --preset release --target exp-slipv > /dev/null
program=$PWD/build/release/exp-slipv

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Wall time: program and cp alternate, A B A B, each in a fresh directory.
wall_time() {  # pairs, program arguments...
  python3 - "$program" "$work" "$@" <<'PY'
import os, statistics, subprocess, sys, tempfile, time
program, work, pairs, args = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]
sample = tempfile.mkdtemp(dir=work)
subprocess.run([program] + args, cwd=sample, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True)
files = [os.path.join(sample, name) for name in ("Exp_Slip.csv", "Exp_Amp.csv")]
size = sum(os.path.getsize(f) for f in files)
null = open(os.devnull, "rb+")
runs, copies = [], []
for _ in range(pairs):
    run_dir, copy_dir = tempfile.mkdtemp(dir=work), tempfile.mkdtemp(dir=work)
    start = time.perf_counter()
    subprocess.run([program] + args, cwd=run_dir, stdin=null, stdout=null, check=True)
    runs.append(time.perf_counter() - start)
    start = time.perf_counter()
    subprocess.run(["cp"] + files + [copy_dir], check=True)
    copies.append(time.perf_counter() - start)
    for d in (run_dir, copy_dir):
        for name in os.listdir(d):
            os.unlink(os.path.join(d, name))
        os.rmdir(d)
for f in files:
    os.unlink(f)
os.rmdir(sample)
run, copy = statistics.median(runs), statistics.median(copies)
print(f"wall time     program {run * 1e3:.2f} ms, cp {copy * 1e3:.2f} ms: "
      f"ratio {run / copy:.2f}  (median of {pairs} pairs, {size} bytes written)")
PY
}

# Instructions, counted by callgrind: the same on a busy machine.  Prints
# the count and the bytes the run wrote.
instructions() {  # program arguments...
  local dir
  dir=$(mktemp -d -p "$work")
  (cd "$dir" && valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" "$program" "$@" \
    < /dev/null > /dev/null 2> "$work/valgrind.txt")
  echo "$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/valgrind.txt") $(cat "$dir"/Exp_*.csv | wc -c)"
  rm -rf "$dir"
}

# Peak resident set size in KiB.
peak_kib() {  # program arguments...
  local dir kib
  dir=$(mktemp -d -p "$work")
  kib=$(cd "$dir" && /usr/bin/time -f %M "$program" "$@" < /dev/null 2>&1 > /dev/null | tail -n 1)
  rm -rf "$dir"
  echo "$kib"
}

echo "the default run:"
wall_time "$pairs" | sed 's/)$/; goal: ratio <= 2.00)/'
read -r default_instructions default_bytes < <(instructions)
awk -v n="$default_instructions" -v b="$default_bytes" \
  'BEGIN { printf "instructions  %.2f million, %.2f per output byte  (goal <= 15 million)\n", n / 1e6, n / b }'
awk -v k="$(peak_kib)" 'BEGIN { printf "memory        %.2f MiB peak resident  (goal <= 4 MiB)\n", k / 1024 }'

if [[ ${VERBOSE:-0} != 0 ]]; then
  echo "where the instructions go:"
  callgrind_annotate "$work/callgrind.out" 2> /dev/null | sed -n '/file:function/,$p' | sed -n '3,22p' | cut -c1-110
fi

echo "a large run: ${large_args[*]}"
wall_time "$large_pairs" "${large_args[@]}"
read -r large_instructions large_bytes < <(instructions "${large_args[@]}")
awk -v n="$large_instructions" -v b="$large_bytes" -v d="$default_instructions" -v db="$default_bytes" \
  'BEGIN { printf "instructions  %.0f million, %.2f per output byte  (goal <= %.2f, the default run'"'"'s)\n", n / 1e6, n / b, d / db }'
awk -v k="$(peak_kib "${large_args[@]}")" -v n="$large_samples" \
  'BEGIN { printf "memory        %.1f MiB peak resident  (goal <= %.1f MiB: 24 bytes x samples + 4 MiB)\n", k / 1024, (24 * n + 4 * 1048576) / 1048576 }'
