#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Tamarko under Wine beside the
# netsh/ipconfig stand-ins, in build/run/ with a demo network state.
# Arguments are passed to Tamarko (for example a settings file).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" win32

RUN="$ROOT/build/run"
mkdir -p "$RUN"
for program in tamarko.exe netsh.exe ipconfig.exe; do
  cp "$ROOT/build/win32/$program" "$RUN/"
done
# The stand-ins write their demo state when the file is missing; edit
# build/run/netsim-state.txt to change the simulated machine.

source "$ROOT/scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
  wine_env wine-run private
  echo "run: no display found; Tamarko runs on the virtual display $DISPLAY (Xvfb)."
  echo "run: look at it with: xwd -root -display $DISPLAY | convert xwd:- tamarko.png"
else
  wine_env wine-run user
fi
cd "$RUN"
echo "run: starting Tamarko in $RUN"
wine tamarko.exe "$@"
