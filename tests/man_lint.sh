#!/usr/bin/env bash
# The manual pages render without a warning.  Exits 77 (skipped) without mandoc.
#   man_lint.sh PAGE...
set -uo pipefail
if ! command -v mandoc > /dev/null; then
  echo "SKIPPED: mandoc is not installed (apt-get install mandoc)"
  exit 77
fi
mandoc -T lint -W warning "$@" || exit 1
echo "ok: $# pages lint clean"
