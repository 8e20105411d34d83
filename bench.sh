#!/usr/bin/env bash
# Measures Tamarko under Wine on this machine, each figure against a yardstick
# run the same way in the same run, and prints a markdown table to stdout and
# to build/bench/latest.md. Progress and build output go to stderr.
#
#   ./bench.sh [runs] [part ...]   runs: starts measured per program (default 5);
#                                  parts: start, cpu, capture, profile, save,
#                                  close
#                                  (default all)
#
# A run of every part also puts its table into docs/figures.md, in place of
# the last run's.
#
# Its own Wine prefix (build/wine-bench, or $TAMARKO_WINE_PREFIX) and its own
# Xvfb, so it runs beside the tests. The helper programs in bench/ are built
# with the program in build/win32, its driver with the end-to-end tests'
# driver in build/wintest (./test.sh builds them too, so they keep up with
# the code); of the test programs' tree only the driver is built here.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
RUNS="${1:-5}"
PARTS=("${@:2}")
OUT="$ROOT/build/bench"

"$ROOT/scripts/setup.sh" >&2
"$ROOT/scripts/build.sh" win32 >&2
TAMARKO_BUILD_TARGET=bench_driver "$ROOT/scripts/build.sh" wintest >&2

mkdir -p "$OUT"
# The helpers are built with the program (build/win32/bench), from its own
# libraries; the profile build's tree makes its own report window, with the
# marks.
for helper in minimal_window start_dlls_window plain_read capture_only save_timing report_window; do
  cp "$ROOT/build/win32/bench/$helper.exe" "$OUT/$helper.exe"
done
cp "$ROOT/build/wintest/bench/bench_driver.exe" "$OUT/bench_driver.exe"
# The profile build: tamarko.exe with its marks, in a tree of its own, so
# that what ships and what is tested stay as they are.
PROFILE="$OUT/profile"
mkdir -p "$PROFILE"
if [ ! -f "$PROFILE/tree/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$PROFILE/tree" -DTAMARKO_FLAVOUR=ship -DTAMARKO_PROFILE=ON \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" >/dev/null
fi
echo "bench: building the profile build of tamarko.exe" >&2
cmake --build "$PROFILE/tree" --target tamarko report_window -j "$(nproc)" >&2
cp "$PROFILE/tree/tamarko.exe" "$PROFILE/tamarko.exe"
cp "$PROFILE/tree/bench/report_window.exe" "$PROFILE/report_window.exe"

export TAMARKO_WINE_PREFIX="${TAMARKO_WINE_PREFIX:-wine-bench}"
# The private display of this prefix, when one is already running, is left
# running; one started for this run is stopped at its end.
DISPLAY_STATE="$ROOT/build/xvfb-$TAMARKO_WINE_PREFIX"
display_pid() { [ -f "$DISPLAY_STATE" ] && awk '{print $2}' "$DISPLAY_STATE" || true; }
old_display=$(display_pid)
[ -n "$old_display" ] && kill -0 "$old_display" 2>/dev/null || old_display=""
source "$ROOT/scripts/wine-env.sh"
# Whatever happens, nothing of this prefix keeps running afterwards.
cleanup() {
  [ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null || true
  local pid
  pid=$(display_pid)
  if [ -z "$old_display" ] && [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    rm -f "$DISPLAY_STATE"
  fi
}
trap cleanup EXIT
wine_env wine-bench private >&2

ROWS="$OUT/rows.md"
SAVE_ROWS="$OUT/save-rows.md"
rm -f "$ROWS" "$SAVE_ROWS"
started=$(date +%s)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
wanted() { [ ${#PARTS[@]} -eq 0 ] || [[ " ${PARTS[*]} " == *" $1 "* ]]; }
if wanted start || wanted cpu || wanted capture || wanted profile || wanted close; then
  if ! timeout 600 wine "$OUT/bench_driver.exe" "$ROOT/build/win32" "$OUT" "$OUT/work" "$ROWS" \
    "$(getconf CLK_TCK)" "$RUNS" "${PARTS[@]}" </dev/null >&2; then
    echo "bench: the measurements failed (see the message above); no table written" >&2
    exit 1
  fi
fi
# 6. The save: at least 15 runs of each, whatever the number of starts.
if wanted save; then
  echo "bench: the save of a settings file" >&2
  save_runs=$(( RUNS < 15 ? 15 : RUNS ))
  mkdir -p "$OUT/work/save"
  if ! timeout 300 wine "$OUT/save_timing.exe" "$(winepath -w "$OUT/work/save")" "$(winepath -w "$SAVE_ROWS")" \
    "$save_runs" </dev/null >&2; then
    echo "bench: the save's measurement failed; no table written" >&2
    exit 1
  fi
fi
touch "$ROWS"
[ -s "$ROWS" ] || [ -s "$SAVE_ROWS" ] || { echo "bench: the driver wrote no figures" >&2; exit 1; }

# 4. The executable's size, and that of a stripped copy.
EXE="$ROOT/build/win32/tamarko.exe"
size=$(stat -c %s "$EXE")
cp "$EXE" "$OUT/tamarko-stripped.exe"
i686-w64-mingw32-strip "$OUT/tamarko-stripped.exe"
stripped=$(stat -c %s "$OUT/tamarko-stripped.exe")
if [ "$stripped" -eq "$size" ]; then
  strip_note="already stripped (strip removes nothing)"
else
  strip_note="not stripped: $(( (size - stripped) * 100 / size )) % is symbols"
fi
size_row="| 4 | Size of tamarko.exe (shipped / stripped copy) | $size B / $stripped B | – | $strip_note | – | – |"

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
{
  echo "# Tamarko bench, $(date '+%Y-%m-%d %H:%M %Z')"
  echo
  echo "Machine: $cpu, $(nproc) cores; $(wine --version) on Linux $(uname -r); clock ticks $(getconf CLK_TCK)/s."
  echo "Load average before / after: $load_before / $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine"
  echo "shows as spread between runs). The run took $(( $(date +%s) - started )) s."
  echo
  echo "| # | Measure | Tamarko | Reference | Ratio / share | Target | Result |"
  echo "|---|---|---|---|---|---|---|"
  sed -n '/^## breakdown/q; /^| /p' "$ROWS" | { grep -v '^| 5' || true; }
  echo "$size_row"
  sed -n '/^## breakdown/q; /^| 5/p' "$ROWS"
  [ ! -f "$SAVE_ROWS" ] || cat "$SAVE_ROWS"
  echo
  echo "Notes:"
  sed -n '/^## breakdown/q; /^- /p' "$ROWS"
  cat <<'NOTES'
- 1: from CreateProcess in a driver program to the status bar reading the state legend (WM_GETTEXT every 5 ms),
  each run from a fresh folder with one connection, so the chooser closes by itself; the minimal program's time
  ends when its window is visible (looked for every 5 ms). One warm-up run of each is left out.
- 2: CPU is utime+stime of tamarko.exe's own Linux process (/proc/<pid>/stat, all threads) over the window, as a
  share of one core; schedstat (ns, live threads) cross-checks the coarse ticks. wineserver, netsh.exe,
  ipconfig.exe and the console hosts are not counted. 2a: from 100 ms after the chooser appeared until the last
  sample taken while netsh.exe still ran. 2b: from posting the apply button's BN_CLICKED until the read-back has
  filled and unlocked the window; the driver only looks at the journal file and the window's enabled state
  (no messages to Tamarko). 2b′/2c/2d: a second apply in the same program, WM_GETTEXT sent every 50 ms
  (SendMessageTimeout), each answer timed.
- 3: Tamarko's whole run covers its start, the chooser's capture of 5 MiB through the pipe, converting and
  scanning every line, closing the chooser and filling the window. 3′ starts when netsh.exe writes its journal
  line (its first act; the driver watches for the file every millisecond), so neither program's own start
  counts, and ends at the filled window (Tamarko) or at the broken pipe after netsh's end (plain reader, its
  own clock; QueryPerformanceCounter is one time line for all Wine processes). The same with a one-connection
  report is subtracted, leaving what the 5 MiB cost. Tamarko's figure therefore also includes converting and
  scanning the lines and filling the window. The plain reader reads with blocking 64 KiB ReadFile calls and
  starts netsh without a console (a console host under Wine holds the pipe 50-200 ms past the child's end).
- 1′/1″: the report window (bench/report_window.cpp) is the work that cannot be avoided: it runs netsh with the
  program's own capture code (the same creation flags, console, pipes and read loop), then shows a window whose one
  text is the connection's name; its time ends when that text can be read. Its runs are interleaved with
  Tamarko's. CPU is the schedstat sum of the process's live threads, read right after the text was seen.
- 1‴/5: the minimal window built again with START_DLLS: before its window it loads the DLLs that Tamarko's start
  cannot do without (comctl32 for the status bar and the tooltips, ole32 for COM, shell32 for the tray icon) and
  does nothing else. Under Wine, comctl32's loading already brings up the display driver.
- 6: one process saves a settings file as the program does (WriteSettingsFile: a copy beside the file, the ten
  keys written into it with the profile functions, the copy read back and checked, flushed to the disk and put in
  place of the file) and, alternating with it, writes the same ten keys straight into another copy of the same
  file (the plain write, flushed from the profile functions' memory). Each run starts from the file as it was;
  medians, a first run of each left out. The small file is the fault sweep's; the large one has 12,000 keys.
- 5: VmHWM of the Linux process, read once the program is idle (WaitForInputIdle) after its window showed what it
  has to, every program alike; it includes Wine's own libraries.
- Breakdown: a profile build of tamarko.exe (CMake option TAMARKO_PROFILE, its own tree in build/bench/profile;
  the shipped program has no marks) notes at each mark the QueryPerformanceCounter time, one time line for all
  Wine processes, and the user-interface thread's CPU from /proc/<pid>/task/<pid>/schedstat (ns; Wine's
  GetThreadTimes counts whole 10 ms ticks), and its peak memory (VmHWM, which Linux keeps only to within some
  pages, so a phase's growth can come out a little negative). The first phase runs from the driver's CreateProcess
  to the program's first static initialiser. CPU of wineserver and of the child processes is not in these figures.
NOTES
  echo
  sed -n '/^## breakdown/,$p' "$ROWS" | tail -n +2
} >"$OUT/latest.md"
cat "$OUT/latest.md"
if [ ${#PARTS[@]} -eq 0 ]; then
  source "$ROOT/scripts/figures.sh"
  # The file's own title is the section's; its headings stay below it.
  commit=$(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo '?')
  git -C "$ROOT" diff --quiet HEAD -- . ':!docs/figures.md' 2>/dev/null || commit="$commit with changes not yet committed"
  { echo "\`./bench.sh $RUNS\` of $(head -n 1 "$OUT/latest.md" | sed 's/^# Tamarko bench, //') on commit $commit."
    tail -n +2 "$OUT/latest.md" | sed 's/^# /### /'; } >"$OUT/figures.md"
  put_figures bench "$OUT/figures.md"
fi
