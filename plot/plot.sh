#!/usr/bin/env bash
# Draws the files of an exp-slipv run, whatever its pulse, dt and samples:
#   Exp_Slip.png  velocity, slip and acceleration over the pulse (the first
#                 10 tau of a Brune pulse)
#   Exp_Amp.png   sampled and closed-form amplitude spectra, log-log, up to
#                 the Nyquist frequency
# Usage: plot/plot.sh [DIR]   (DIR holds Exp_Slip.csv and Exp_Amp.csv; default .)
#        plot/plot.sh --help
# Installed, it is exp-slipv-plot; its messages carry the name it runs under.
# Needs gnuplot (Debian: apt-get install gnuplot-nox).
set -euo pipefail

name=${0##*/}
usage() {
  cat <<USAGE
Usage: $name [DIR]
Draw the files of an exp-slipv run in DIR (default: the current directory):
Exp_Slip.png (velocity, slip and acceleration over the pulse: the first
10 tau of a Brune pulse, else until 99.95 % of the slip and a quarter more) and
Exp_Amp.png (sampled and closed-form amplitude spectra up to the Nyquist
frequency), beside the files.  Where the run wrote its report
(exp-slipv --report, Exp_Report.json), the spectra mark the corner frequency
and the faithful band the program computed, and the slip panel gives the
closed form's final slip.  Needs gnuplot (apt-get install gnuplot-nox).
  -h, --help   show this help and end
USAGE
}
case ${1:-} in
  -h | --help) usage; exit 0 ;;
  -*) echo "$name: unknown option '$1'" >&2; echo "Try '$name --help' for more information." >&2; exit 2 ;;
esac
(( $# <= 1 )) || { echo "$name: one directory at most" >&2; echo "Try '$name --help' for more information." >&2; exit 2; }
dir=${1:-.}
slip=$dir/Exp_Slip.csv
spectrum=$dir/Exp_Amp.csv
width=1200
height=900

fail() {
  echo "$name: $*" >&2
  exit 1
}

[[ -d $dir ]] || fail "$dir is not a directory"

# A file as a run writes it: its header, then records of comma-separated
# numbers; with records > 0, exactly that many.
check() {  # file, header, number of fields, number of records[, why that number]
  [[ -f $1 && -r $1 ]] || fail "$1 is missing or cannot be read; run exp-slipv in $dir first"
  awk -F, -v name="$name" -v header="$2" -v fields="$3" -v records="$4" -v why="${5:-}" -v file="$1" '
    NR == 1 { if ($0 != header) { print name ": " file ": the first line is not the header \"" header "\""; bad = 1; exit } next }
    {
      if (NF != fields) { print name ": " file ":" NR ": " NF " fields, not " fields; bad = 1; exit }
      for (i = 1; i <= NF; i++)
        if ($i !~ /^ *-?([0-9]+\.?[0-9]*|\.[0-9]+)(E[-+][0-9]+)?$/) {
          print name ": " file ":" NR ": field " i " is not a number: \"" $i "\""; bad = 1; exit
        }
    }
    END {
      if (bad) exit 1
      if (records > 0 && NR - 1 != records) { print name ": " file ": " NR - 1 " records, not " records why; exit 1 }
    }' "$1" >&2 || exit 1
}
check "$slip" " time(s),velocity,displacement,acceleration" 4 0
# A run of n samples, padded to a transform of N = 2^k >= n points, writes
# N/2 - 1 spectrum records.
samples=$(awk 'END { print NR - 1 }' "$slip")
(( samples >= 4 )) || fail "$slip holds $samples records; pictures need a run of at least 4 samples"
transform=1
while (( transform < samples )); do transform=$((transform * 2)); done
check "$spectrum" " freq(Hz),abs(vel),abs(acc),theory(vel),theory(acc)" 5 $((transform / 2 - 1)) \
  " as for the $samples records of $slip; the two files are not of one run"

if ! command -v gnuplot > /dev/null 2>&1; then
  echo "$name: gnuplot is not installed; install it with: sudo apt-get install gnuplot-nox" >&2
  exit 3
fi
terminal="pngcairo size $width,$height font 'sans,11'"
gnuplot -e "set terminal" 2>&1 | grep -q pngcairo || terminal="png size $width,$height"

# Pictures are drawn into temporary files and moved into place only when
# complete: no half-written picture is ever left under the real name.
work=$(mktemp -d "$dir/.exp-slipv-plot.XXXXXX")
trap 'rm -rf "$work"' EXIT

slip_data=$slip
spectrum_data=$spectrum

# What the run was, read off its files.  The times are k dt, each printed
# within 1 % of dt, so the last over the steps gives dt to the last digit
# printed; the peak is the largest velocity sample.
read -r first_acceleration dt last_time final_slip < <(awk -F, '
  NR == 2 { a0 = $4 + 0 }
  { last = $1 + 0; slip = $3 + 0 }
  END { printf "%.8g %.7g %.8g %.7f\n", a0, last / (NR - 2), last, slip }' "$slip_data")
read -r peak_time peak_velocity < <(awk -F, 'NR > 1 && $2 + 0 > best { best = $2 + 0; at = $1 + 0 } END { printf "%.6g %.7g\n", at, best }' "$slip_data")
# The Brune pulse: its first acceleration is exactly 1/tau^2, it peaks at
# t = tau, and its closed form at the first bin is 1/(1 + omega^2 tau^2).
# It is drawn over its first 10 tau; any other pulse up to where its slip
# has reached 99.95 % of its last value, and a quarter beyond.
tau=$(awk -F, -v a0="$first_acceleration" -v peak="$peak_time" -v dt="$dt" '
  NR == 2 {
    if (a0 <= 0) exit
    tau = 1 / sqrt(a0); om = 2 * 3.141592654 * $1; closed = 1 / (1 + om * om * tau * tau)
    d = peak - tau; if (d < 0) d = -d
    r = $4 / closed; if (d <= dt && r > 0.9999 && r < 1.0001) printf "%.6g", tau
    exit
  }' "$spectrum_data")
if [[ -n $tau ]]; then
  window=$(awk -v tau="$tau" -v last="$last_time" 'BEGIN { w = 10 * tau; if (w > last) w = last; printf "%.6g", w }')
  pulse="tau = $tau s, "
  title_slip="Exponential slip-velocity function, τ = $tau s"
  peak_text=" (τ = $tau s)"
else
  window=$(awk -F, -v final="$final_slip" -v last="$last_time" '
    NR > 1 && !done && $3 + 0 >= 0.9995 * final { at = $1 + 0; done = 1 }
    END { w = 1.25 * at; if (w <= 0 || w > last) w = last; printf "%.6g", w }' "$slip_data")
  pulse=""
  title_slip="Slip-velocity pulse"
  peak_text=""
fi
lowest=$(awk -F, 'NR == 2 { printf "%.6g", $1 + 0 }' "$spectrum_data")
# The log-scale panel shows amplitudes down to 1e-16 of the largest: below
# that a value says nothing a double can carry (a Gaussian's closed form
# falls to 1e-300 and to 0).
floor=$(awk -F, 'NR > 1 { for (i = 2; i <= 5; i++) if ($i + 0 > top) top = $i + 0 } END { printf "%.6g", top * 1e-16 }' "$spectrum_data")
# The ratio panel reaches its largest ratio, but no higher than 3: far
# beyond the faithful band (a Gaussian's tail) the ratio runs to 1e300.
# The ratio is drawn where the program judges it: where the closed form is
# at least 1e-12 of its peak (|V| at the first bin, nearly the peak 1).
judged=$(awk -F, 'NR == 2 { printf "%.6g", $4 * 1e-12 }' "$spectrum_data")
ratio_top=$(awk -F, -v floor="$judged" 'NR > 1 && $4 >= floor { r = $2 / $4; if (r > top) top = r } END { if (top > 3) top = 3; if (top < 1.1) top = 1.1; printf "%.6g", top * 1.05 }' "$spectrum_data")
nyquist=$(awk -v dt="$dt" 'BEGIN { printf "%.6g", 1 / (2 * dt) }')
# The figures the program computed, from the run's report where it wrote one
# (exp-slipv --report): the closed form's corner frequency, where |V| = 1/2,
# the faithful band as the program judged it, and the closed form's final
# slip.  A report of another run (its samples or dt differ from the files')
# is not used.  Its JSON is the program's own layout, a key a line: each value
# is read by its path ("band.within_1_percent.highest_hz").
report=$dir/Exp_Report.json
report_value() {  # path: prints the value, or nothing
  [[ -f $report && -r $report ]] || return 0
  awk -v want="$1" '
    /^ *"[^"]*": *\{ *$/ { match($0, /"[^"]*"/); path[++depth] = substr($0, RSTART + 1, RLENGTH - 2); next }
    /^ *\},? *$/ { depth--; next }
    /^ *"[^"]*": / {
      match($0, /"[^"]*"/); key = substr($0, RSTART + 1, RLENGTH - 2)
      full = ""; for (i = 1; i <= depth; i++) full = full path[i] "."
      if (full key == want) { value = substr($0, RSTART + RLENGTH + 2); sub(/,? *$/, "", value); print value; exit }
    }' "$report"
}
# The same run: its samples, its dt (the files give it within 1 %) and its
# largest velocity sample (the files give 7 digits).
report_samples=$(report_value sampling.samples)
from_report=no
if [[ -n $report_samples && $report_samples == "$samples" ]] &&
  awk -v a="$(report_value sampling.dt_s)" -v b="$dt" -v p="$(report_value sampled.peak_velocity_per_s)" -v q="$peak_velocity" '
    function near(x, y, tolerance) { return x > 0 && (x - y) / x <= tolerance && (y - x) / x <= tolerance }
    BEGIN { exit !(near(a, b, 0.01) && near(p, q, 1e-6)) }'; then
  from_report=yes
fi
# A band edge as the report gives it: its highest frequency, the Nyquist
# frequency where no judged bin departs, "none" where the first does.
report_edge() {
  case $(report_value "band.$1.status") in
    '"limited"') awk -v v="$(report_value "band.$1.highest_hz")" 'BEGIN { printf "%.4g", v }' ;;
    '"to_nyquist"') echo "$nyquist" ;;
    *) echo none ;;
  esac
}
if [[ $from_report == yes ]]; then
  corner=$(awk -v v="$(report_value source.half_amplitude_frequency_hz)" 'BEGIN { printf "%.4g", v }')
  band1=$(report_edge within_1_percent)
  band10=$(report_edge within_10_percent)
  exact_slip=$(awk -v v="$(report_value sampled.final_slip_exact)" 'BEGIN { printf "%.7g", v }')
else
  # Without the report no corner is marked (the bins would give only an
  # estimate between two of them), and the band is read off the spectrum
  # file's 4-digit columns: up to where every sampled bin from the first
  # stays within 1 % (10 %) of the closed form, judged where the closed form
  # is at least 1e-12 of its first value, as the program judges it.
  corner=none
  exact_slip=""
  read -r band1 band10 < <(awk -F, '
    NR == 2 { floor = $4 * 1e-12 }
    NR > 1 && $4 + 0 >= floor {
      r = $2 / $4; d = r > 1 ? r - 1 : 1 - r
      if (!gone1) { if (d > 0.01) gone1 = 1; else last1 = $1 + 0 }
      if (!gone10) { if (d > 0.10) gone10 = 1; else last10 = $1 + 0 }
    }
    END { printf "%s %s\n", (last1 == "" ? "none" : sprintf("%.4g", last1)), (last10 == "" ? "none" : sprintf("%.4g", last10)) }' "$spectrum_data")
fi
# A mark is a vertical line with its label, drawn only where it exists.
marks=""
mark_number=10
for entry in "corner:$corner:|V| = 1/2 at %s Hz (closed form):#555555" "band1:$band1:1 %% band %s Hz:#2ca02c" "band10:$band10:10 %% band %s Hz:#ff7f0e"; do
  IFS=: read -r _ value text colour <<< "$entry"
  [[ $value == none ]] && continue
  label=$(printf "$text" "$value")
  marks+="set arrow $mark_number from $value, graph 0 to $value, graph 1 nohead dashtype 2 linewidth 2 linecolor rgb \"$colour\""$'\n'
  # Right of its line, or left of it near the Nyquist frequency.
  side=$(awk -v v="$value" -v n="$nyquist" 'BEGIN { print (v > n / 4 ? "right offset -0.5,0" : "left offset 0.5,0") }')
  marks+="set label $mark_number \"$label\" at $value, graph $(( 90 - (mark_number - 10) * 6 )).0/100 $side textcolor rgb \"$colour\""$'\n'
  mark_number=$((mark_number + 1))
done

# The slip column's last value is the trapezoid's sum of the samples, which
# for a pulse with jumps (a boxcar) is not the final slip: both are named.
slip_label="trapezoid sum $final_slip at t = $last_time s${exact_slip:+; closed-form final slip $exact_slip}"

label_side=$(awk -v at="$peak_time" -v w="$window" 'BEGIN { print (at > w / 2 ? "right offset -2,-1" : "left offset 2,-1") }')
# The key goes to the other side of the velocity panel.
velocity_key=$(awk -v at="$peak_time" -v w="$window" 'BEGIN { print (at > w / 2 ? "bottom right" : "top right") }')

slip_png=$work/Exp_Slip.png
spectrum_png=$work/Exp_Amp.png

gnuplot <<GNUPLOT
set terminal $terminal
set encoding utf8
set datafile separator ","
set grid
set key top right

set output "$slip_png"
set multiplot layout 3,1 title "$title_slip"
set xrange [0:$window]
set lmargin 12
set format x ""
set ylabel "velocity (1/s)"
set key $velocity_key
# The label reads away from the nearer side, so that it stays in the picture.
set label 1 sprintf("peak %s /s at t = %s s%s", "$peak_velocity", "$peak_time", "$peak_text") at $peak_time, $peak_velocity $label_side
plot "$slip_data" skip 1 using 1:2 with lines linewidth 2 linecolor rgb "#1f77b4" title "velocity", \
     "< echo '$peak_time,$peak_velocity'" using 1:2 with points pointtype 7 pointsize 1.5 linecolor rgb "#d62728" notitle
unset label 1
set ylabel "slip (unit slip)"
set yrange [0:1.1]
set key bottom right
set label 2 "$slip_label" at graph 0.5, first 0.8
plot "$slip_data" skip 1 using 1:3 with lines linewidth 2 linecolor rgb "#2ca02c" title "slip", \
     1 with lines dashtype 2 linecolor rgb "gray40" title "one unit"
unset label 2
set key top right
set autoscale y
set format x "%g"
set xlabel "time (s)"
set ylabel "acceleration (1/s^2)"
plot "$slip_data" skip 1 using 1:4 with lines linewidth 2 linecolor rgb "#9467bd" title "acceleration", \
     0 with lines dashtype 2 linecolor rgb "gray40" notitle
unset multiplot

set output "$spectrum_png"
unset xlabel
set multiplot layout 2,1 title "Fourier amplitude spectra: sampled (points) and closed form (lines)${tau:+, τ = $tau s}"
set logscale xy
set xrange [$lowest:$nyquist]
set lmargin 12
set format x ""
set format y "10^{%L}"
set ylabel "Fourier amplitude"
set key bottom left
set label 3 "Nyquist frequency $nyquist Hz" at graph 0.98, graph 0.96 right
$marks
plot "$spectrum_data" skip 1 using 1:(\$4 > $floor ? \$4 : 1/0) with lines linewidth 3 linecolor rgb "#9ecae1" title "closed-form velocity |V|", \
     "$spectrum_data" skip 1 using 1:(\$5 > $floor ? \$5 : 1/0) with lines linewidth 3 linecolor rgb "#fdae6b" title "closed-form acceleration ω|V|", \
     "$spectrum_data" skip 1 using 1:(\$2 > $floor ? \$2 : 1/0) with points pointtype 7 pointsize 0.3 linecolor rgb "#08519c" title "sampled velocity |V| (unit slip)", \
     "$spectrum_data" skip 1 using 1:(\$3 > $floor ? \$3 : 1/0) with points pointtype 7 pointsize 0.3 linecolor rgb "#a63603" title "sampled acceleration |A| (unit slip/s)"
unset label 3
# The departure the band measures: sampled over closed-form velocity amplitude.
set title ""
unset logscale y
set format y "%g"
set format x "10^{%L}"
set xlabel "frequency (Hz)"
set ylabel "sampled / closed-form |V|"
set yrange [0:$ratio_top]
set key top left
plot "$spectrum_data" skip 1 using 1:(\$4 >= $judged ? \$2 / \$4 : 1/0) with lines linewidth 2 linecolor rgb "#08519c" title "ratio", \
     1.01 with lines dashtype 2 linecolor rgb "#2ca02c" title "±1 %", 0.99 with lines dashtype 2 linecolor rgb "#2ca02c" notitle, \
     1.1 with lines dashtype 3 linecolor rgb "#ff7f0e" title "±10 %", 0.9 with lines dashtype 3 linecolor rgb "#ff7f0e" notitle
unset multiplot
GNUPLOT

mv "$slip_png" "$dir/Exp_Slip.png"
mv "$spectrum_png" "$dir/Exp_Amp.png"
echo "$name: ${pulse}dt = $dt s, $samples samples: time 0 to $window s, peak velocity $peak_velocity /s at t = $peak_time s, spectra $lowest to $nyquist Hz"
if [[ $from_report == yes ]]; then
  echo "$name: from Exp_Report.json: |V| = 1/2 at $corner Hz (closed form); sampled spectrum within 1 % up to $band1 Hz, within 10 % up to $band10 Hz; trapezoid sum $final_slip, closed-form final slip $exact_slip"
else
  echo "$name: no report of this run (exp-slipv --report writes it): no corner frequency marked; from the files, sampled spectrum within 1 % up to $band1 Hz, within 10 % up to $band10 Hz; trapezoid sum $final_slip"
fi
echo "$name: wrote $dir/Exp_Slip.png and $dir/Exp_Amp.png"
