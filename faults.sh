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
# the run's folder (the table's details name them).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
"$ROOT/scripts/setup.sh" >&2
"$ROOT/scripts/build.sh" win32 wintest >&2
source "$ROOT/scripts/wine-env.sh"
wine_env wine-faults private
status=0
run_heap_checked faults "$ROOT/build/wintest/tests/faults/faults.exe" "$@" || status=1
grep -q ' 0 defects$' "$ROOT/build/faults/latest.md" || status=1
exit $status
