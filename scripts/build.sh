#!/usr/bin/env bash
# Configures (when needed) and builds the three build trees:
#   build/native  - pure logic and unit tests (Linux)
#   build/win32   - tamarko.exe and the netsh/ipconfig stand-ins
#   build/wintest - win and e2e test programs
# Usage: scripts/build.sh [native|win32|wintest ...]   (default: all three)
#        TAMARKO_BUILD_TARGET=<target> builds only that target of each tree.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
JOBS="$(nproc)"
trees=("$@")

# The same commit gives the same tamarko.exe, byte for byte: the linker
# stamps the PE header with this time instead of the clock's. A tree without
# git (an unpacked archive) takes its newest source file's time.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || true)"
  [ -n "$SOURCE_DATE_EPOCH" ] ||
    SOURCE_DATE_EPOCH="$(find "$ROOT" -path "$ROOT/build" -prune -o -type f -printf '%T@\n' | sort -n | tail -n 1 | cut -d. -f1)"
fi
export SOURCE_DATE_EPOCH
[ "${#trees[@]}" -gt 0 ] || trees=(native win32 wintest)
case " ${trees[*]} " in *" win32 "* | *" wintest "*) "$ROOT/scripts/build-libjpeg.sh" ;; esac

configure() {
  local dir="$1"; shift
  if [ ! -f "$ROOT/build/$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$ROOT/build/$dir" "$@" >/dev/null
  fi
}

for t in "${trees[@]}"; do
  case "$t" in
    native)
      configure native -DTAMARKO_FLAVOUR=native -DTAMARKO_WERROR=ON ;;
    win32)
      configure win32 -DTAMARKO_FLAVOUR=ship -DTAMARKO_WERROR=ON \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" ;;
    wintest)
      configure wintest -DTAMARKO_FLAVOUR=wintest \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686-posix.cmake" \
        -DTAMARKO_SHIP_DIR="$ROOT/build/win32" ;;
    *) echo "build: unknown tree $t" >&2; exit 2 ;;
  esac
  # What ships is relinked for a new time even when no source changed.
  stamp="$ROOT/build/$t/source-date-epoch"
  if [ "$t" = win32 ] && [ "$(cat "$stamp" 2>/dev/null)" != "$SOURCE_DATE_EPOCH" ]; then
    rm -f "$ROOT/build/$t"/*.exe
    echo "$SOURCE_DATE_EPOCH" >"$stamp"
  fi
  echo "build: $t"
  # TAMARKO_BUILD_TARGET builds that target alone (the bench's driver).
  cmake --build "$ROOT/build/$t" -j "$JOBS" ${TAMARKO_BUILD_TARGET:+--target "$TAMARKO_BUILD_TARGET"}
done
