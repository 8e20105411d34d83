#!/usr/bin/env bash
# Long use of one running Tamarko under Wine: 300 cycles of an apply (its
# read-back opens the chooser), the about box, the notification area and a
# settings file from a quick button, with the process's handles, windows
# and memory every 50 cycles (GDI and USER objects from the verifier's
# recorder). Fails when any of them grows, when the recorder saw a rule of
# Windows broken, or when Wine reports a heap error.
#   ./soak.sh [cycles]      (default 300)
# Its own Wine prefix and Xvfb; the table also goes to build/soak/latest.md,
# and a whole soak (300 cycles or more) into docs/figures.md in place of the
# last one.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
CYCLES="${1:-300}"
"$ROOT/scripts/setup.sh" >&2
"$ROOT/scripts/build.sh" win32 wintest >&2
source "$ROOT/scripts/wine-env.sh"
source "$ROOT/scripts/figures.sh"
wine_env wine-soak private
status=0
started=$(date +%s)
run_heap_checked soak "$ROOT/build/wintest/tests/soak/soak.exe" --cycles "$CYCLES" --every 50 || status=1
grep -q '^soak: flat$' "$ROOT/build/soak/latest.md" || status=1
if [ "$CYCLES" -ge 300 ]; then
  section="$ROOT/build/soak/figures.md"
  {
    echo "\`./soak.sh $CYCLES\` of $(date -u '+%Y-%m-%d %H:%M UTC') on commit $(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo '?'),"
    echo "$(( ($(date +%s) - started) / 60 )) minutes on $(nproc) cores."
    echo
    cat "$ROOT/build/soak/latest.md"
  } >"$section"
  put_figures soak "$section" || status=1
fi
exit $status
