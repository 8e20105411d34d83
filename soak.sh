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
finish() {
  wineserver -k 2>/dev/null || true
  stop_private_display wine-soak
}
trap finish EXIT
mkdir -p "$ROOT/build/soak"
# Wine's heap checks, as in the end-to-end tests: a checked tail on every
# block of tamarko.exe's heaps, and its heap debug channel.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Image File Execution Options\tamarko.exe' \
  /v GlobalFlag /t REG_DWORD /d 0x10 /f >/dev/null 2>&1
status=0
WINEDEBUG=-all,err+heap wine "$ROOT/build/wintest/tests/soak/soak.exe" --cycles "$CYCLES" --every 50 \
  </dev/null 2>"$ROOT/build/soak/heap.log" | sed -u 's/\r$//' | tee "$ROOT/build/soak/latest.md" || status=1
grep -q '^soak: flat$' "$ROOT/build/soak/latest.md" || status=1
if grep -E ':err:heap:' "$ROOT/build/soak/heap.log"; then
  echo "soak: FAILED: Wine reported heap errors (above)"
  status=1
fi
exit $status
