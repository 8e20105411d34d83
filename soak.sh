#!/usr/bin/env bash
# Long use of one running Tamarko under Wine: 300 cycles of an apply (its
# read-back opens the chooser), the about box, the notification area and a
# settings file from a quick button, with the process's handles, windows
# and memory every 50 cycles. Fails when any of them grows.
#   ./soak.sh [cycles]      (default 300)
# Its own Wine prefix and Xvfb; the table also goes to build/soak/latest.md.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
CYCLES="${1:-300}"
"$ROOT/scripts/setup.sh" >&2
"$ROOT/scripts/build.sh" win32 wintest >&2
source "$ROOT/scripts/wine-env.sh"
wine_env wine-soak private
finish() {
  wineserver -k 2>/dev/null || true
  stop_private_display wine-soak
}
trap finish EXIT
mkdir -p "$ROOT/build/soak"
status=0
wine "$ROOT/build/wintest/tests/soak/soak.exe" --cycles "$CYCLES" --every 50 </dev/null | sed -u 's/\r$//' |
  tee "$ROOT/build/soak/latest.md" || status=1
grep -q '^soak: flat$' "$ROOT/build/soak/latest.md" || status=1
exit $status
