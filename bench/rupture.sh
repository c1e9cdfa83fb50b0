#!/usr/bin/env bash
# Measures the rupture mode on a model of 100,000 subfaults (Brune pulses of
# tau 0.3 s at dt 0.025 s, 142 samples each: an SRF of about 237 MB):
#   wall time     median of paired runs, program / cp of the same SRF   goal <= 2.0
#   threads       the same run on one thread, for the speed-up
#   memory        peak resident set size                              goal: the model's size + a few MiB
#   instructions  per sample, under callgrind, on a model of 2,000 subfaults
# Usage: bash bench/rupture.sh [pairs]   (default 3); the release build must exist.
set -euo pipefail
cd "$(dirname "$0")/.."
pairs=${1:-3}
program=$PWD/build/release/exp-slipv
[[ -x $program ]] || { echo "rupture: build the release preset first" >&2; exit 1; }
for tool in valgrind /usr/bin/time python3 bc; do
  command -v "$tool" > /dev/null || { echo "rupture: $tool is missing (Debian: valgrind, time, python3, bc)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

model() {  # rows along strike, rows down dip, file
  python3 - "$1" "$2" "$3" <<'PY'
import math, sys
nx, nz, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
with open(path, "w") as f:
    f.write("lon_deg,lat_deg,depth_km,strike_deg,dip_deg,rake_deg,area_m2,slip_m,onset_s\n")
    for j in range(nz):
        for i in range(nx):
            x, y = i * 0.1, j * 0.1
            f.write(f"{-118 + x / 92.0:.6f},{34 - y * 0.5 / 111.0:.6f},{1 + y * math.sin(math.radians(60)):.5f},"
                    f"90,60,180,1e4,{1 + 0.5 * math.sin(i / 50) * math.cos(j / 20):.4f},{math.hypot(x - nx / 20, y - 5) / 2.8:.4f}\n")
PY
}
model 1000 100 "$work/big.csv"
args=(rupture --tau=0.3 --dt=0.025 --export=srf-sw4)
seconds() { local start end; start=$(date +%s.%N); "$@" > /dev/null; end=$(date +%s.%N); echo "$end - $start" | bc -l; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
cd "$work"
"$program" "${args[@]}" big.csv > /dev/null
bytes=$(stat -c %s Exp_Rupture_sw4.srf)
ratios=() ; runs=() ; copies=()
for ((i = 0; i < pairs; ++i)); do
  run=$(seconds "$program" "${args[@]}" big.csv)
  copy=$(seconds cp Exp_Rupture_sw4.srf copy.srf); rm -f copy.srf
  runs+=("$run"); copies+=("$copy")
done
run=$(printf '%s\n' "${runs[@]}" | median)
copy=$(printf '%s\n' "${copies[@]}" | median)
one=$(seconds "$program" "${args[@]}" --threads=1 big.csv)
rss=$(/usr/bin/time -f %M "$program" "${args[@]}" big.csv 2>&1 > /dev/null | tail -1)
printf 'SRF %d bytes; program %.3f s, cp %.3f s: ratio %.2f (goal <= 2.0); %.0f MB/s\n' \
  "$bytes" "$run" "$copy" "$(echo "$run / $copy" | bc -l)" "$(echo "$bytes / $run / 1000000" | bc -l)"
printf 'one thread %.3f s: speed-up on both cores %.2f\n' "$one" "$(echo "$one / $run" | bc -l)"
printf 'peak resident set size %.1f MiB (model file %.1f MiB)\n' "$(echo "$rss / 1024" | bc -l)" \
  "$(echo "$(stat -c %s big.csv) / 1048576" | bc -l)"

model 200 10 small.csv
valgrind --tool=callgrind --callgrind-out-file=cg.out "$program" "${args[@]}" --threads=1 small.csv > /dev/null 2> cg.log
instructions=$(grep -E '^summary:' cg.out | awk '{ print $2 }')
samples=$(python3 -c "
n = 0
for line in open('Exp_Rupture_sw4.srf'):
    f = line.split()
    if len(f) == 7 and f[3] == '0.0': n += int(f[2])
print(n)")
printf 'instructions %d for %d samples: %.1f a sample (the whole run)\n' "$instructions" "$samples" \
  "$(echo "$instructions / $samples" | bc -l)"
