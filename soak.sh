#!/usr/bin/env bash
# Long use of one running Tamarko under Wine: 300 cycles of an apply (its
# read-back opens the chooser), the about box, the notification area and a
# settings file from a quick button, with the process's handles, windows
# and memory every 50 cycles (GDI and USER objects from the verifier's
# recorder). Fails when any of them grows, when the recorder saw a rule of
# Windows broken, or when Wine reports a heap error.
#   ./soak.sh [cycles]      (default 300)
# Its own Wine prefix and Xvfb; the table also goes to build/soak/latest.md.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
CYCLES="${1:-300}"
"$ROOT/scripts/setup.sh" >&2
"$ROOT/scripts/build.sh" win32 wintest >&2
source "$ROOT/scripts/wine-env.sh"
wine_env wine-soak private
status=0
run_heap_checked soak "$ROOT/build/wintest/tests/soak/soak.exe" --cycles "$CYCLES" --every 50 || status=1
grep -q '^soak: flat$' "$ROOT/build/soak/latest.md" || status=1
exit $status
