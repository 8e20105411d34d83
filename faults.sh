#!/usr/bin/env bash
# The fault sweep: one user's whole session of Tamarko under Wine, first as it
# is, then once for every call that Windows may refuse, with that one call
# refused (the first call from every call site the session reaches, every
# profile write, allocations in every phase). Prints a table (function, call
# site or n, the session's step, outcome) that also goes to
# build/faults/latest.md, ending with "N runs, M defects"; fails when M is
# not 0 or when Wine reports a heap error.
#   ./faults.sh [--bounded] [--allocations N] [--only FUNCTION]
# Its own Wine prefix and Xvfb; the logs of a defective run are kept beside
# the run's folder (the table's details name them). A whole sweep (no options)
# puts its table into docs/figures.md in place of the last one.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
"$ROOT/scripts/setup.sh" >&2
"$ROOT/scripts/build.sh" win32 wintest >&2
source "$ROOT/scripts/wine-env.sh"
source "$ROOT/scripts/figures.sh"
wine_env wine-faults private
status=0
started=$(date +%s)
run_heap_checked faults "$ROOT/build/wintest/tests/faults/faults.exe" "$@" || status=1
grep -q ' 0 defects$' "$ROOT/build/faults/latest.md" || status=1
if [ $# -eq 0 ]; then
  section="$ROOT/build/faults/figures.md"
  latest="$ROOT/build/faults/latest.md"
  rows=$(grep -c '^| [0-9]' "$latest" || true)
  {
    echo "\`./faults.sh\` of $(date -u '+%Y-%m-%d %H:%M UTC') on commit $(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo '?'),"
    echo "$(( ($(date +%s) - started) / 60 )) minutes on $(nproc) cores: **$(tail -n 1 "$latest")**."
    sed -n '/^Left out:/p' "$latest"
    echo
    echo "<details><summary>The table ($rows rows)</summary>"
    echo
    sed -n '/^| /,$p' "$latest" | sed '/^Left out:/d; $d'
    echo
    echo "</details>"
  } >"$section"
  put_figures faults "$section" || status=1
fi
exit $status
