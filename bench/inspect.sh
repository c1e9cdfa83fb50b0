#!/usr/bin/env bash
# Measures the inspector on an SRF of about 1.1 GB that the rupture mode
# writes (100,000 points of 1,000 samples, SW4's layout):
#   wall time   median of paired runs, program / cat FILE > /dev/null   goal <= 3
#               with the file in the page cache, and once from the disk
#               where the page cache can be dropped (root)
#   threads     the same run on one thread, for the speed-up
#   memory      peak resident set size                              goal: a few MiB + the moment rate
# Usage: bash bench/inspect.sh [pairs]   (default 3); the release build must exist.
set -euo pipefail
cd "$(dirname "$0")/.."
pairs=${1:-3}
program=$PWD/build/release/exp-slipv
[[ -x $program ]] || { echo "inspect: build the release preset first" >&2; exit 1; }
for tool in /usr/bin/time python3 bc; do
  command -v "$tool" > /dev/null || { echo "inspect: $tool is missing (Debian: time, python3, bc)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
python3 - <<'PY'
import math
nx, nz = 1000, 100
with open("big.csv", "w") as f:
    f.write("lon_deg,lat_deg,depth_km,strike_deg,dip_deg,rake_deg,area_m2,slip_m,onset_s\n")
    for j in range(nz):
        for i in range(nx):
            x, y = i * 0.1, j * 0.1
            f.write(f"{-118 + x / 92.0:.6f},{34 - y * 0.5 / 111.0:.6f},{1 + y * math.sin(math.radians(60)):.5f},"
                    f"90,60,180,1e4,{1 + 0.5 * math.sin(i / 50) * math.cos(j / 20):.4f},{math.hypot(x - nx / 20, y - 5) / 2.8:.4f}\n")
PY
"$program" rupture --tau=0.3 --dt=0.005 --export=srf-sw4 big.csv > /dev/null
srf=Exp_Rupture_sw4.srf
bytes=$(stat -c %s $srf)
seconds() { local start end; start=$(date +%s.%N); "$@" > /dev/null; end=$(date +%s.%N); echo "$end - $start" | bc -l; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
read_all() { cat "$1" > /dev/null; }
runs=(); copies=()
read_all $srf
for ((i = 0; i < pairs; ++i)); do
  runs+=("$(seconds "$program" inspect $srf)")
  copies+=("$(seconds read_all $srf)")
done
run=$(printf '%s\n' "${runs[@]}" | median)
copy=$(printf '%s\n' "${copies[@]}" | median)
one=$(seconds "$program" inspect --threads=1 $srf)
rss=$(/usr/bin/time -f %M "$program" inspect $srf 2>&1 > /dev/null | tail -1)
printf 'SRF %d bytes, in the page cache: program %.3f s, cat %.3f s: ratio %.1f (goal <= 3); %.0f MB/s\n' \
  "$bytes" "$run" "$copy" "$(echo "$run / $copy" | bc -l)" "$(echo "$bytes / $run / 1000000" | bc -l)"
printf 'one thread %.3f s: speed-up on both cores %.2f\n' "$one" "$(echo "$one / $run" | bc -l)"
printf 'peak resident set size %.1f MiB\n' "$(echo "$rss / 1024" | bc -l)"
if [[ -w /proc/sys/vm/drop_caches ]]; then
  sync; echo 3 > /proc/sys/vm/drop_caches
  cold_copy=$(seconds read_all $srf)
  sync; echo 3 > /proc/sys/vm/drop_caches
  cold_run=$(seconds "$program" inspect $srf)
  printf 'from the disk: program %.3f s, cat %.3f s: ratio %.1f\n' "$cold_run" "$cold_copy" "$(echo "$cold_run / $cold_copy" | bc -l)"
else
  echo "from the disk: not measured (dropping the page cache needs root)"
fi
