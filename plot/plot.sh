#!/usr/bin/env bash
# Draws the files of an exp-slipv run:
#   Exp_Slip.png  velocity, slip and acceleration over the first 10 seconds
#   Exp_Amp.png   sampled and closed-form amplitude spectra, log-log
# Usage: plot/plot.sh [DIR]   (DIR holds Exp_Slip.csv and Exp_Amp.csv; default .)
# Needs gnuplot (Debian: apt-get install gnuplot-nox).
set -euo pipefail

dir=${1:-.}
slip=$dir/Exp_Slip.csv
spectrum=$dir/Exp_Amp.csv
width=1200
height=900

fail() {
  echo "plot.sh: $*" >&2
  exit 1
}

[[ -d $dir ]] || fail "$dir is not a directory"

# A file as a run writes it: its header, then records of comma-separated numbers.
check() {  # file, header, number of fields, number of records
  [[ -f $1 && -r $1 ]] || fail "$1 is missing or cannot be read; run exp-slipv in $dir first"
  awk -F, -v header="$2" -v fields="$3" -v records="$4" -v file="$1" '
    NR == 1 { if ($0 != header) { print "plot.sh: " file ": the first line is not the header \"" header "\""; bad = 1; exit } next }
    {
      if (NF != fields) { print "plot.sh: " file ":" NR ": " NF " fields, not " fields; bad = 1; exit }
      for (i = 1; i <= NF; i++)
        if ($i !~ /^ *-?([0-9]+\.?[0-9]*|\.[0-9]+)([Ee]?[-+][0-9]+)?$/) {
          print "plot.sh: " file ":" NR ": field " i " is not a number: \"" $i "\""; bad = 1; exit
        }
    }
    END {
      if (bad) exit 1
      if (NR - 1 != records) { print "plot.sh: " file ": " NR - 1 " records, not " records; exit 1 }
    }' "$1" >&2 || exit 1
}
check "$slip" " time(s),velocity,displacement,acceleration" 4 8192
check "$spectrum" " freq(Hz),abs(vel),abs(acc),theory(vel),theory(acc)" 5 4095

if ! command -v gnuplot > /dev/null 2>&1; then
  echo "plot.sh: gnuplot is not installed; install it with: sudo apt-get install gnuplot-nox" >&2
  exit 3
fi
terminal="pngcairo size $width,$height font 'sans,11'"
gnuplot -e "set terminal" 2>&1 | grep -q pngcairo || terminal="png size $width,$height"

# The marked values, read off the files.
read -r peak_time peak_velocity < <(awk -F, 'NR > 1 && $2 + 0 > best { best = $2 + 0; at = $1 + 0 } END { printf "%.2f %.7f\n", at, best }' "$slip")
final_slip=$(awk -F, 'END { printf "%.7f", $3 + 0 }' "$slip")
lowest=$(awk -F, 'NR == 2 { printf "%.4f", $1 + 0 }' "$spectrum")
nyquist=50

# Pictures are drawn into temporary files and moved into place only when
# complete: no half-written picture is ever left under the real name.
slip_png=$(mktemp "$dir/.Exp_Slip.png.XXXXXX")
spectrum_png=$(mktemp "$dir/.Exp_Amp.png.XXXXXX")
trap 'rm -f "$slip_png" "$spectrum_png"' EXIT

gnuplot <<GNUPLOT
set terminal $terminal
set encoding utf8
set datafile separator ","
set grid
set key top right

set output "$slip_png"
set multiplot layout 3,1 title "Exponential slip-velocity function, τ = 1 s"
set xrange [0:10]
set lmargin 12
set format x ""
set ylabel "velocity (1/s)"
set label 1 sprintf("peak %s /s at t = τ = %s s", "$peak_velocity", "$peak_time") at $peak_time, $peak_velocity offset 2,-0.5
plot "$slip" skip 1 using 1:2 with lines linewidth 2 linecolor rgb "#1f77b4" title "velocity", \
     "< echo '$peak_time,$peak_velocity'" using 1:2 with points pointtype 7 pointsize 1.5 linecolor rgb "#d62728" notitle
unset label 1
set ylabel "slip (unit slip)"
set yrange [0:1.1]
set key bottom right
set label 2 sprintf("final slip %s (at t = 81.91 s)", "$final_slip") at 5, 0.8
plot "$slip" skip 1 using 1:3 with lines linewidth 2 linecolor rgb "#2ca02c" title "slip", \
     1 with lines dashtype 2 linecolor rgb "gray40" title "one unit"
unset label 2
set key top right
set autoscale y
set format x "%g"
set xlabel "time (s)"
set ylabel "acceleration (1/s^2)"
plot "$slip" skip 1 using 1:4 with lines linewidth 2 linecolor rgb "#9467bd" title "acceleration", \
     0 with lines dashtype 2 linecolor rgb "gray40" notitle
unset multiplot

set output "$spectrum_png"
unset xlabel
set title "Fourier amplitude spectra: sampled (points) and closed form (lines), τ = 1 s"
set logscale xy
set xrange [$lowest:$nyquist]
set format x "10^{%L}"
set format y "10^{%L}"
set xlabel "frequency (Hz)"
set ylabel "Fourier amplitude"
set key bottom left
set label 3 "Nyquist frequency 50 Hz" at graph 0.98, graph 0.96 right
plot "$spectrum" skip 1 using 1:4 with lines linewidth 3 linecolor rgb "#9ecae1" title "closed-form velocity 1/(1+ω²τ²)", \
     "$spectrum" skip 1 using 1:5 with lines linewidth 3 linecolor rgb "#fdae6b" title "closed-form acceleration ω/(1+ω²τ²)", \
     "$spectrum" skip 1 using 1:2 with points pointtype 7 pointsize 0.3 linecolor rgb "#08519c" title "sampled velocity |V| (unit slip)", \
     "$spectrum" skip 1 using 1:3 with points pointtype 7 pointsize 0.3 linecolor rgb "#a63603" title "sampled acceleration |A| (unit slip/s)"
GNUPLOT

# mktemp made them private; pictures are as readable as any new file.
chmod "$(printf '%o' $((0666 & ~$(umask))))" "$slip_png" "$spectrum_png"
mv "$slip_png" "$dir/Exp_Slip.png"
mv "$spectrum_png" "$dir/Exp_Amp.png"
trap - EXIT
echo "plot.sh: wrote $dir/Exp_Slip.png and $dir/Exp_Amp.png"
