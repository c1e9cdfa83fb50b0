#!/usr/bin/env bash
# The picture script on a real run, and its failures.
#   plot_test.sh pictures PROGRAM SCRIPT   both pictures, PNG, at least 1000x750
#   plot_test.sh failures PROGRAM SCRIPT   clear failures, and no picture left behind
#   plot_test.sh other PROGRAM SCRIPT      a run of another source: what it drew
# Exits 77 (skipped) where gnuplot is needed but not installed.
set -uo pipefail
mode=$1 program=$2 script=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

png_size() {  # prints "width height" of a PNG file, or nothing
  [[ $(head -c 8 "$1" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || return
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }'
}

case $mode in
pictures)
  if ! command -v gnuplot > /dev/null; then
    echo "SKIPPED: gnuplot is not installed (apt-get install gnuplot-nox)"
    exit 77
  fi
  (cd "$dir" && "$program" < /dev/null > /dev/null) || fail "the program failed"
  bash "$script" "$dir" > "$dir/out.txt" 2>&1 || fail "plot.sh failed: $(cat "$dir/out.txt")"
  for picture in Exp_Slip.png Exp_Amp.png; do
    read -r width height < <(png_size "$dir/$picture")
    if [[ -z ${width:-} ]]; then
      fail "$picture is not a PNG file"
    elif (( width < 1000 || height < 750 )); then
      fail "$picture is ${width}x$height, smaller than 1000x750"
    fi
  done
  leftovers=$(find "$dir" -name '.exp-slipv-plot*')
  [[ -z $leftovers ]] || fail "temporary files left: $leftovers"
  ;;
other)
  if ! command -v gnuplot > /dev/null; then
    echo "SKIPPED: gnuplot is not installed (apt-get install gnuplot-nox)"
    exit 77
  fi
  # tau = 0.05 s sampled at 1 ms: the pictures cover 10 tau = 0.5 s and the
  # spectra reach 500 Hz; the peak of v is e^-1/tau = 7.357589 /s at t = tau.
  (cd "$dir" && "$program" --tau=0.05 --dt=0.001 --samples=4096 --no-pause > /dev/null) || fail "the program failed"
  out=$(bash "$script" "$dir" 2>&1) || fail "plot.sh failed: $out"
  expected="tau = 0.05 s, dt = 0.001 s, 4096 samples: time 0 to 0.5 s, peak velocity 7.357589 /s at t = 0.05 s, spectra 0.2441 to 500 Hz"
  [[ $out == *"$expected"* ]] || fail "plot.sh drew another run: $out"
  for picture in Exp_Slip.png Exp_Amp.png; do
    [[ -n $(png_size "$dir/$picture") ]] || fail "$picture is not a PNG file"
  done
  # A dt of 0.00025 s is read exactly from the times: Nyquist 2000 Hz, not
  # the 1666.67 Hz of a time column rounded to 0.0003.
  (cd "$dir" && "$program" --tau=0.05 --dt=0.00025 --samples=8192 --no-pause > /dev/null) || fail "the program failed"
  out=$(bash "$script" "$dir" 2>&1) || fail "plot.sh failed: $out"
  [[ $out == *"dt = 0.00025 s, 8192 samples: time 0 to 0.5 s, peak velocity 7.357589 /s at t = 0.05 s, spectra 0.4883 to 2000 Hz"* ]] ||
    fail "plot.sh misread dt = 0.00025 s: $out"
  # The marks of the spectrum picture come from the run's report: the 0.5 Hz
  # source at 0.005 s, 4096 samples, is within 1 % of its closed form up to
  # the bin 225/20.48 s = 10.986328125 Hz and within 10 % up to 693/20.48 s =
  # 33.837890625 Hz (the report's figures), |V| = 1/2 at the corner,
  # 0.5 Hz; the trapezoid's sum and the closed form's final slip, 1.
  (cd "$dir" && "$program" --corner-frequency=0.5 --dt=0.005 --samples=4096 --report --no-pause > /dev/null) || fail "the program failed"
  out=$(bash "$script" "$dir" 2>&1) || fail "plot.sh failed: $out"
  [[ $out == *"from Exp_Report.json: |V| = 1/2 at 0.5 Hz (closed form); sampled spectrum within 1 % up to 10.99 Hz, within 10 % up to 33.84 Hz; trapezoid sum 0.9999"*", closed-form final slip 1"* ]] ||
    fail "plot.sh misplaced the marks: $out"
  # A report of another run beside the files is not used: no corner marked.
  (cd "$dir" && "$program" --corner-frequency=0.5 --dt=0.005 --samples=2048 --no-pause > /dev/null) || fail "the program failed"
  out=$(bash "$script" "$dir" 2>&1) || fail "plot.sh failed: $out"
  [[ $out == *"no report of this run"*"no corner frequency marked"* && $out != *"at 0.5 Hz"* ]] ||
    fail "plot.sh used another run's report: $out"
  # A boxcar's slip column ends at the trapezoid's 0.9975 (the jumps' mid
  # values): named as that, beside the closed form's final slip.
  (cd "$dir" && "$program" --shape=boxcar --duration=1 --report --no-pause > /dev/null) || fail "the program failed"
  out=$(bash "$script" "$dir" 2>&1) || fail "plot.sh failed: $out"
  [[ $out == *"trapezoid sum 0.9975000, closed-form final slip 1"* ]] || fail "plot.sh called the boxcar's sum its final slip: $out"
  # A slow source: the peak is found at tau = 1000 s, not among samples that
  # print alike at 4 significant digits.
  (cd "$dir" && "$program" --tau=1000 --dt=1 --samples=1024 --no-pause > /dev/null 2>&1) || fail "the program failed"
  out=$(bash "$script" "$dir" 2>&1) || fail "plot.sh failed: $out"
  [[ $out == *"peak velocity 0.0003678794 /s at t = 1000 s, spectra 0.00098 to 0.5 Hz"* ]] ||
    fail "plot.sh misplaced the slow peak: $out"
  # Values with three-digit exponents are read as numbers, not as their mantissas.
  (cd "$dir" && "$program" --tau=1e-9 --dt=1e-9 --samples=1024 --no-pause > /dev/null 2>&1) || fail "the program failed"
  grep -q '[0-9]E[-+][0-9][0-9][0-9]' "$dir/Exp_Slip.csv" || fail "the run wrote no three-digit exponent"
  out=$(bash "$script" "$dir" 2>&1) || fail "plot.sh failed: $out"
  [[ $out == *"tau = 1e-09 s, dt = 1e-09 s, 1024 samples: time 0 to 1e-08 s, peak velocity 3.678794e+08 /s at t = 1e-09 s"* ]] ||
    fail "plot.sh misread the tiny run: $out"
  # Other shapes, drawn from the files alone: no tau, a window that holds
  # the pulse (to 99.95 % of the slip, and a quarter more), the peak of the
  # samples.  Hann of 1 s: 99.95 % at the sample 0.96 s, window 1.2 s, peak 2 /s at
  # 0.5 s; a Yoffe pulse (the first acceleration is 0) peaks at 0.13 s; a
  # Gaussian's closed form falls to 0, and its spectra are still drawn.
  for run in "hann --duration=1|time 0 to 1.2 s, peak velocity 2 /s at t = 0.5 s" \
             "yoffe --rise=1 --smoothing=0.1|peak velocity 3.046692 /s at t = 0.13 s" \
             "gaussian --sigma=0.2|peak velocity 1.994711 /s at t = 1.2 s"; do
    IFS='|' read -r options expected <<< "$run"
    # shellcheck disable=SC2086
    (cd "$dir" && "$program" --shape=$options --no-pause > /dev/null 2>&1) || fail "the program failed on $options"
    out=$(bash "$script" "$dir" 2>&1) || fail "plot.sh failed on $options: $out"
    [[ $out == *"$expected"* && $out != *"tau ="* ]] || fail "plot.sh misread the $options run: $out"
    [[ $(png_size "$dir/Exp_Amp.png") == "1200 900" ]] || fail "no spectrum picture for $options"
  done
  ;;
failures)
  # --help is the usage, not a directory.
  out=$(bash "$script" --help 2>&1) || fail "--help failed: $out"
  [[ $out == "Usage: "*"[DIR]"* ]] || fail "--help shows no usage: $out"
  err=$(bash "$script" --bogus 2>&1 > /dev/null) && fail "plot.sh took an unknown option"
  [[ $err == *"unknown option '--bogus'"* ]] || fail "unclear message on an unknown option: $err"
  # No input files.
  err=$(bash "$script" "$dir" 2>&1 > /dev/null) && fail "plot.sh succeeded without input files"
  [[ $err == *"Exp_Slip.csv is missing"* ]] || fail "unclear message without input files: $err"
  # A truncated slip file: the run was stopped while writing it.
  (cd "$dir" && "$program" < /dev/null > /dev/null) || fail "the program failed"
  head -c 200000 "$dir/Exp_Slip.csv" > "$dir/short.csv" && mv "$dir/short.csv" "$dir/Exp_Slip.csv"
  err=$(bash "$script" "$dir" 2>&1 > /dev/null) && fail "plot.sh succeeded on a truncated file"
  [[ $err == *"Exp_Slip.csv"* ]] || fail "unclear message on a truncated file: $err"
  # Another file under the name.
  printf 'time,velocity\n1,2\n' > "$dir/Exp_Slip.csv"
  err=$(bash "$script" "$dir" 2>&1 > /dev/null) && fail "plot.sh succeeded on another file"
  [[ $err == *"header"* ]] || fail "unclear message on another file: $err"
  # gnuplot missing: the message names the package.
  (cd "$dir" && "$program" < /dev/null > /dev/null)
  mkdir "$dir/bin"
  for tool in bash awk mktemp mv rm chmod grep head od tr cat; do
    ln -s "$(command -v "$tool")" "$dir/bin/$tool"
  done
  err=$(PATH=$dir/bin bash "$script" "$dir" 2>&1 > /dev/null) && fail "plot.sh succeeded without gnuplot"
  [[ $err == *"apt-get install gnuplot-nox"* ]] || fail "no install command without gnuplot: $err"
  [[ -z $(find "$dir" -name '*.png' -o -name '.exp-slipv-plot*') ]] || fail "a picture or temporary file was left after a failure"
  ;;
esac
(( failures == 0 )) && echo "ok: $mode"
exit $(( failures == 0 ? 0 : 1 ))
