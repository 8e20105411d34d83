#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test: unit, win, e2e and
# release (the zip that dist.sh makes, the README's pictures).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh"
source "$ROOT/scripts/wine-env.sh"
wine_env wine-test private

status=0
for tier in "native unit" "win32 unit" "wintest win" "wintest e2e" "win32 release"; do
  set -- $tier
  echo "=== $2 tests in build/$1"
  ctest --test-dir "$ROOT/build/$1" -L "^$2\$" --no-tests=error --output-on-failure -j "$(nproc)" || status=1
done
# The servers and displays of the prefixes the tests ran in (the sweep has
# its own, beside the test prefix).
for prefix in wine-test wine-sweep; do
  WINEPREFIX="$ROOT/build/$prefix" wineserver -k 2>/dev/null || true
  TAMARKO_WINE_PREFIX=$prefix stop_private_display "$prefix"
done
exit $status
