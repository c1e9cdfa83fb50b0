#!/usr/bin/env bash
# Measures a whole run of the release program against the goals:
#   wall time   median of paired runs, program / cp of its two files   goal <= 2.0
#   instructions  one run under callgrind                               goal <= 15 million
#   memory      peak resident set size                                   goal <= 4 MiB
# Usage: bash bench/measure.sh [pairs]     (default 200 pairs)
set -euo pipefail
cd "$(dirname "$0")/.."
pairs=${1:-200}

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
python3 - "$program" "$work" "$pairs" <<'PY'
import os, statistics, subprocess, sys, tempfile, time
program, work, pairs = sys.argv[1], sys.argv[2], int(sys.argv[3])
sample = tempfile.mkdtemp(dir=work)
subprocess.run([program], cwd=sample, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True)
files = [os.path.join(sample, name) for name in ("Exp_Slip.csv", "Exp_Amp.csv")]
null = open(os.devnull, "rb+")
runs, copies = [], []
for _ in range(pairs):
    run_dir, copy_dir = tempfile.mkdtemp(dir=work), tempfile.mkdtemp(dir=work)
    start = time.perf_counter()
    subprocess.run([program], cwd=run_dir, stdin=null, stdout=null, check=True)
    runs.append(time.perf_counter() - start)
    start = time.perf_counter()
    subprocess.run(["cp"] + files + [copy_dir], check=True)
    copies.append(time.perf_counter() - start)
    for d in (run_dir, copy_dir):
        for name in os.listdir(d):
            os.unlink(os.path.join(d, name))
        os.rmdir(d)
run, copy = statistics.median(runs), statistics.median(copies)
print(f"wall time     program {run * 1e3:.2f} ms, cp {copy * 1e3:.2f} ms: "
      f"ratio {run / copy:.2f}  (goal <= 2.00, median of {pairs} pairs)")
PY

# Instructions, counted by callgrind: the same on a busy machine.
dir=$(mktemp -d -p "$work")
(cd "$dir" && valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" "$program" \
  < /dev/null > /dev/null 2> "$work/valgrind.txt")
instructions=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/valgrind.txt")
awk -v n="$instructions" 'BEGIN { printf "instructions  %.1f million  (goal <= 15 million)\n", n / 1e6 }'

# Peak resident set size.
dir=$(mktemp -d -p "$work")
kib=$(cd "$dir" && /usr/bin/time -f %M "$program" < /dev/null 2>&1 > /dev/null | tail -n 1)
awk -v k="$kib" 'BEGIN { printf "memory        %.2f MiB peak resident  (goal <= 4 MiB)\n", k / 1024 }'

if [[ ${VERBOSE:-0} != 0 ]]; then
  echo "where the instructions go:"
  callgrind_annotate "$work/callgrind.out" 2> /dev/null | sed -n '/file:function/,$p' | sed -n '3,22p' | cut -c1-110
fi
