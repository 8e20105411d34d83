#!/usr/bin/env bash
# Takes the README's pictures: Tamarko under Wine on a private Xvfb, beside
# the netsh/ipconfig stand-ins and their demo state (as ./run.sh starts it).
#   tools/screenshot.sh [output-folder]     (default: docs/screenshots)
# Writes chooser.png (two connections), main.png (the filled main window),
# about.png, main-dark.png (the main window in a dark colour scheme) and
# main-120dpi.png (at 120 DPI, Windows' large fonts), each a window with its
# frame, and prints for each:
#   NAME.png WIDTHxHEIGHT client CLIENT_WIDTHxCLIENT_HEIGHT
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT="$(mkdir -p "${1:-$ROOT/docs/screenshots}" && cd "${1:-$ROOT/docs/screenshots}" && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" win32 >/dev/null
SHIP="$ROOT/build/win32"

# A prefix and display of its own: nothing of the tests' or of run.sh's shows.
source "$ROOT/scripts/wine-env.sh"
wine_env wine-shot private
DEMO="$WINEPREFIX-demo"
rm -rf "$DEMO"
mkdir -p "$DEMO"
cp "$SHIP/tamarko.exe" "$SHIP/netsh.exe" "$SHIP/ipconfig.exe" "$DEMO/"
finish() {
  # The prefix keeps its own DPI for the next run.
  wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  stop_private_display wine-shot
}
trap finish EXIT

# The demo's proxy, so that its fields show values rather than nothing.
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings' \
  /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings' \
  /v ProxyServer /d 192.168.1.1:3128 /f >/dev/null 2>&1

helper() { wine "$SHIP/screenshot_helper.exe" "$@" </dev/null | tr -d '\r'; }

# The window's rectangle cut from the whole screen; Wine's virtual desktop
# fills the Xvfb screen, so its coordinates are the screen's.
shoot() {
  local name="$1" left top width height client_width client_height
  shift
  read -r left top width height client_width client_height < <(helper wait "$@")
  [ -n "${client_height:-}" ] || { echo "screenshot: no window for $name" >&2; exit 1; }
  xwd -root -silent -display "$DISPLAY" |
    convert xwd:- -crop "${width}x${height}+${left}+${top}" +repage -strip "$OUT/$name.png"
  echo "$name.png ${width}x${height} client ${client_width}x${client_height}"
}

start_demo() { (cd "$DEMO" && wine tamarko.exe </dev/null >/dev/null 2>&1 &); }
filled="Zeleně podbarvené položky = aktuální stav."

start_demo
shoot chooser TForm2
helper choose TForm2 0
shoot main TForm1 "$filled"
helper about
shoot about TAutor
helper close
helper gone

# A dark scheme of the user's own: black window, white text, a dark grey face.
colors='HKCU\Control Panel\Colors'
for setting in "Window=0 0 0" "WindowText=255 255 255" "ButtonFace=48 48 48" "ButtonText=255 255 255" \
  "GrayText=128 128 128"; do
  wine reg add "$colors" /v "${setting%%=*}" /d "${setting#*=}" /f >/dev/null 2>&1
done
start_demo
helper choose TForm2 0
shoot main-dark TForm1 "$filled"
helper close
helper gone
for name in Window WindowText ButtonFace ButtonText GrayText; do
  wine reg delete "$colors" /v "$name" /f >/dev/null 2>&1 || true
done

# Windows' large fonts: 120 DPI.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 120 /f >/dev/null 2>&1
start_demo
helper choose TForm2 0
shoot main-120dpi TForm1 "$filled"
helper close
helper gone
