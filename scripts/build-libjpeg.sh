#!/usr/bin/env bash
# Cross-builds libjpeg (Debian's libjpeg-turbo source) as a static library for
# 32-bit Windows, once, into build/deps/libjpeg-i686. Debian ships no Windows
# build of it. Later runs find the installed library and do nothing.
#
# Each stage works in a temporary folder and is moved into place only when it
# has finished, so an interrupted run leaves nothing that a later one trusts.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
DEPS="$ROOT/build/deps"
SRC="$DEPS/libjpeg-turbo-src"
PREFIX="$DEPS/libjpeg-i686"

installed() { [ -f "$PREFIX/lib/libjpeg.a" ] && [ -f "$PREFIX/include/jpeglib.h" ]; }
installed && exit 0

mkdir -p "$DEPS"
# Two builds started together (say, two build trees) must not race.
exec 8>"$DEPS/.libjpeg.lock"
flock 8
installed && exit 0

# Leftovers of an interrupted run; nobody else holds the lock, so they are dead.
rm -rf "$DEPS"/.libjpeg-tmp.*
WORK="$(mktemp -d "$DEPS/.libjpeg-tmp.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT

prerequisites_ok() {
  command -v dpkg-source >/dev/null && command -v cmake >/dev/null &&
    command -v i686-w64-mingw32-gcc-win32 >/dev/null &&
    [ -n "$(apt-cache showsrc libjpeg-turbo 2>/dev/null)" ]
}
if ! prerequisites_ok; then
  echo "libjpeg: the source package or the cross compiler is missing; running setup"
  "$ROOT/scripts/setup.sh"
  prerequisites_ok || { echo "libjpeg: apt knows no libjpeg-turbo source package" >&2; exit 1; }
fi

if [ ! -f "$SRC/jpeglib.h" ]; then
  echo "libjpeg: fetching the libjpeg-turbo source package"
  rm -rf "$SRC"
  mkdir "$WORK/fetch"
  # As root, apt hands downloads to its unprivileged _apt user, which cannot
  # write into our private temporary folder.
  sandbox=()
  [ "$(id -u)" -ne 0 ] || sandbox=(-o APT::Sandbox::User=root)
  (cd "$WORK/fetch" && apt-get source -q "${sandbox[@]}" libjpeg-turbo >"$WORK/fetch.log" 2>&1) || {
    tail -n 20 "$WORK/fetch.log" >&2
    echo "libjpeg: apt-get source libjpeg-turbo failed" >&2
    exit 1
  }
  unpacked=("$WORK"/fetch/libjpeg-turbo-*/)
  if [ "${#unpacked[@]}" -ne 1 ] || [ ! -f "${unpacked[0]}/jpeglib.h" ]; then
    echo "libjpeg: the source package did not unpack as expected" >&2
    exit 1
  fi
  mv "${unpacked[0]}" "$SRC"
fi

echo "libjpeg: building $(sed -n 's/^set(VERSION \(.*\))/\1/p' "$SRC/CMakeLists.txt") for i686 Windows (once)"
# No SIMD: it needs nasm and buys nothing for one small picture. No TurboJPEG
# API: the program uses the classic libjpeg interface only.
if ! {
  cmake -S "$SRC" -B "$WORK/build" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$WORK/install" \
    -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_SIMD=0 -DWITH_TURBOJPEG=0 -DWITH_JAVA=0 &&
    cmake --build "$WORK/build" -j "$(nproc)" &&
    cmake --install "$WORK/build"
} >"$WORK/build.log" 2>&1; then
  tail -n 30 "$WORK/build.log" >&2
  echo "libjpeg: the build failed" >&2
  exit 1
fi

# Only the headers and the library are ours to use; the sample programs,
# manuals and package-config files (which name the temporary folder) stay
# behind.
mkdir -p "$WORK/result/lib"
mv "$WORK/install/include" "$WORK/result/"
mv "$WORK/install/lib/libjpeg.a" "$WORK/result/lib/"
rm -rf "$PREFIX"
mv "$WORK/result" "$PREFIX"
echo "libjpeg: installed in ${PREFIX#"$ROOT"/}"
