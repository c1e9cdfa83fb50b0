#!/usr/bin/env bash
# The installed program, as a user meets it after `cmake --install`: into a
# scratch DESTDIR, then run from there.
#   install_test.sh BUILD_DIR VERSION
set -uo pipefail
build=$1 version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# SHA-256 of the run without options, as the program has always written it.
transcript_digest=b44e13df1ef1391419869d998ab822c49fbcf2cf88a0838104f02c80bf09daba
slip_digest=a498751efba0df38cf52558375626945839106b3a1f4193d9d560194650823ea
spectrum_digest=88267421c221227af21627f5b8ba044eef36b8f1a004c02cf19dcebbef3e893e

DESTDIR=$root/stage cmake --install "$build" --prefix /opt/exp-slipv > "$root/install.log" 2>&1 ||
  { cat "$root/install.log"; fail "cmake --install failed"; }
prefix=$root/stage/opt/exp-slipv
program=$prefix/bin/exp-slipv
for file in bin/exp-slipv bin/exp-slipv-plot share/man/man1/exp-slipv.1 share/man/man1/exp-slipv-plot.1 \
            share/doc/exp-slipv/README.md share/doc/exp-slipv/docs/Exp_Slip.png share/doc/exp-slipv/docs/Exp_Amp.png; do
  [[ -f $prefix/$file ]] || fail "not installed: $file"
done
[[ -x $program && -x $prefix/bin/exp-slipv-plot ]] || fail "the installed commands are not executable"

# The run without options, byte for byte.
mkdir "$root/run"
(cd "$root/run" && "$program" < /dev/null > transcript.txt) || fail "the installed program failed"
[[ $(sha256sum < "$root/run/transcript.txt" | cut -c1-64) == "$transcript_digest" ]] || fail "the transcript differs"
[[ $(sha256sum < "$root/run/Exp_Slip.csv" | cut -c1-64) == "$slip_digest" ]] || fail "the slip file differs"
[[ $(sha256sum < "$root/run/Exp_Amp.csv" | cut -c1-64) == "$spectrum_digest" ]] || fail "the spectrum file differs"

[[ $("$program" --version) == "exp-slipv $version" ]] || fail "--version: $("$program" --version)"
help=$("$program" --help) || fail "--help failed"
[[ $help == "Usage: exp-slipv [OPTION]..."* ]] || fail "--help does not begin with the usage"

# Every long option of --help has its own entry in the manual page: the tag
# line after a ".TP" (in the page, "\-" is a hyphen).
tags=$(sed 's/\\-/-/g' "$prefix/share/man/man1/exp-slipv.1" | awk 'previous == ".TP" { print } { previous = $0 }')
rupture_help=$("$program" rupture --help) || fail "rupture --help failed"
[[ $rupture_help == "Usage: exp-slipv rupture [OPTION]... MODEL"* ]] || fail "rupture --help does not begin with the usage"
inspect_help=$("$program" inspect --help) || fail "inspect --help failed"
[[ $inspect_help == "Usage: exp-slipv inspect [OPTION]... FILE.srf"* ]] || fail "inspect --help does not begin with the usage"
for option in $(grep -o -- '--[a-z][a-z-]*' <<< "$help$rupture_help$inspect_help" | sort -u); do
  grep -qE -- "(^| )$option([= ]|\$)" <<< "$tags" || fail "the manual page has no entry for $option"
done
grep -qF "exp-slipv $version" "$prefix/share/man/man1/exp-slipv.1" || fail "the manual page does not carry the version"

# The installed plotting script on that run.
if command -v gnuplot > /dev/null; then
  out=$("$prefix/bin/exp-slipv-plot" "$root/run" 2>&1) || fail "exp-slipv-plot failed: $out"
  [[ $out == *"exp-slipv-plot: tau = 1 s, dt = 0.01 s, 8192 samples"* ]] || fail "exp-slipv-plot read another run: $out"
  [[ -s $root/run/Exp_Slip.png && -s $root/run/Exp_Amp.png ]] || fail "no pictures"
else
  echo "note: gnuplot is not installed; the plotting script was not run"
fi

(( failures == 0 )) && echo "ok: installed into a DESTDIR and run from there"
exit $(( failures == 0 ? 0 : 1 ))
