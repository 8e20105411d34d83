# Sourced by the scripts that run Windows programs: points Wine at one of the
# project's own prefixes and at a display, starting a private Xvfb when asked.
#   wine_env <prefix-name> <display-mode>
#   TAMARKO_WINE_PREFIX, when set, replaces the prefix name (separate test runs
#   side by side: each prefix has its own wineserver and display).
#   display-mode: "private" always uses the project's own Xvfb;
#                 "user" uses $DISPLAY when set, else the private Xvfb.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Starts (once per prefix, under a lock) an Xvfb on a free display and
# records it, so that each prefix has a desktop of its own.
private_display() {
  local state="$ROOT/build/xvfb-$1" lock="$ROOT/build/xvfb.lock" n pid
  mkdir -p "$ROOT/build"
  exec 9>"$lock"
  flock 9
  if [ -f "$state" ]; then
    read -r n pid <"$state"
    if kill -0 "$pid" 2>/dev/null; then
      flock -u 9; echo ":$n"; return
    fi
  fi
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  echo "$n $pid" >"$state"
  flock -u 9
  echo ":$n"
}

# Stops the private Xvfb of a prefix, if one runs.
stop_private_display() {
  local state="$ROOT/build/xvfb-${TAMARKO_WINE_PREFIX:-$1}" n pid
  [ -f "$state" ] || return 0
  read -r n pid <"$state"
  kill "$pid" 2>/dev/null || true
  rm -f "$state"
}

# Sets up the prefix when it is missing: XP, font twins, a virtual desktop so
# that windows get frames and captions without a window manager.
ensure_prefix() {
  local prefix="$1"
  [ -f "$prefix/.tamarko-ready" ] && return
  echo "wine: creating the prefix $prefix (once)" >&2
  mkdir -p "$prefix"
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif' /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Sans Serif' /d 'Liberation Sans' /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  # Shortcuts made in the prefix stay in it: no launchers in the host's menus,
  # and a desktop folder of the prefix's own instead of a link to $HOME.
  wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f >/dev/null 2>&1
  wineserver -w
  local desktop
  for desktop in "$prefix"/drive_c/users/*/Desktop; do
    if [ -L "$desktop" ]; then
      rm -f "$desktop"
      mkdir -p "$desktop"
    fi
  done
  touch "$prefix/.tamarko-ready"
}

# Debian's Wine 8.0 looks for its own fonts in "<data dir>\../fonts\", a path
# it cannot resolve, so none of them load, whatever the locale. Wine draws the
# caption buttons with Marlett glyphs; without the font they come out as the
# letters "0 1 r". A font in the prefix's Fonts folder always loads. Checked
# on every start, so that prefixes made before get it too.
ensure_marlett() {
  local font=/usr/share/wine/fonts/marlett.ttf fonts="$1/drive_c/windows/Fonts"
  [ -e "$fonts/marlett.ttf" ] || [ ! -f "$font" ] || { mkdir -p "$fonts" && ln -sf "$font" "$fonts/marlett.ttf"; }
}

wine_env() {
  local name="${TAMARKO_WINE_PREFIX:-$1}" mode="$2"
  export WINEPREFIX="$ROOT/build/$name"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LC_ALL="${TAMARKO_LC_ALL:-cs_CZ.UTF-8}"
  if [ "$mode" = private ] || [ -z "${DISPLAY:-}" ]; then
    export DISPLAY="$(private_display "$name")"
  fi
  ensure_prefix "$WINEPREFIX"
  ensure_marlett "$WINEPREFIX"
  # A lingering server makes each later Wine process start in milliseconds.
  wineserver -p300 </dev/null >/dev/null 2>&1 || true
  # Wine's system processes and the desktop start with the first program and
  # inherit its output handles; started here, detached, they hold no test's
  # output pipe open after that test has ended.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  (wine explorer.exe /desktop </dev/null >/dev/null 2>&1 &)
}

# Runs a program of the wintest tree in the prefix of `wine_env` with Wine's
# heap checks, as the end-to-end tests run tamarko.exe: a checked tail on
# every block of its heaps, and Wine's heap debug channel. What the program
# prints goes to the terminal and to build/<name>/latest.md, Wine's errors to
# build/<name>/wine.log; fails when the program fails or Wine reports a heap
# error. The prefix's wineserver and display are stopped at the script's end.
#   run_heap_checked <name> <program> [arguments ...]
run_heap_checked() {
  local name="$1" program="$2" out="$ROOT/build/$1" status=0
  shift 2
  trap "wineserver -k 2>/dev/null || true; stop_private_display wine-$name" EXIT
  mkdir -p "$out"
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Image File Execution Options\tamarko.exe' \
    /v GlobalFlag /t REG_DWORD /d 0x10 /f >/dev/null 2>&1
  WINEDEBUG=-all,err+heap wine "$program" "$@" </dev/null 2>"$out/wine.log" | sed -u 's/\r$//' | tee "$out/latest.md" ||
    status=1
  if grep -E ':err:heap:' "$out/wine.log"; then
    echo "$name: FAILED: Wine reported heap errors (above)"
    status=1
  fi
  return $status
}
