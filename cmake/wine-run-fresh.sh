#!/usr/bin/env bash
# Runs a Windows test program under Wine in a 32-bit prefix made for this run
# alone, as a new installation of Wine makes it: none of the test prefix's
# settings (no virtual desktop, no Windows version, no font twins), on a
# display of its own. The prefix is removed afterwards.
#   wine-run-fresh.sh <program> [arguments ...]
set -uo pipefail
source "$(dirname "$0")/../scripts/wine-env.sh"
name=wine-fresh32
export WINEPREFIX="$ROOT/build/$name" WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=cs_CZ.UTF-8
export DISPLAY="$(private_display "$name")"

finish() {
  wineserver -k 2>/dev/null || true
  TAMARKO_WINE_PREFIX= stop_private_display "$name"
  rm -rf "$WINEPREFIX"
}
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
trap finish EXIT
wineboot -i >/dev/null 2>&1
wineserver -w
wineserver -p300 </dev/null >/dev/null 2>&1 || true
wine "$@"
