#!/usr/bin/env bash
# The picture script on a real run, and its failures.
#   plot_test.sh pictures PROGRAM SCRIPT   both pictures, PNG, at least 1000x750
#   plot_test.sh failures PROGRAM SCRIPT   clear failures, and no picture left behind
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
  leftovers=$(find "$dir" -name '.Exp_*')
  [[ -z $leftovers ]] || fail "temporary files left: $leftovers"
  ;;
failures)
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
  [[ -z $(find "$dir" -name '*.png' -o -name '.Exp_*') ]] || fail "a picture or temporary file was left after a failure"
  ;;
esac
(( failures == 0 )) && echo "ok: $mode"
exit $(( failures == 0 ? 0 : 1 ))
