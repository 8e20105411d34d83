#!/usr/bin/env bash
# Builds the Windows release of the current commit from a clean clone of it
# and writes build/dist/tamarko-<version>-win32.zip and its .sha256.
#   ./dist.sh [output-folder]
# Uncommitted changes are not in the release. The same commit gives the same
# zip, byte for byte, wherever it is built.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
OUT="$(mkdir -p "${1:-$ROOT/build/dist}" && cd "${1:-$ROOT/build/dist}" && pwd)"
"$ROOT/scripts/setup.sh"

commit="$(git -C "$ROOT" rev-parse --verify HEAD)"
if [ -n "$(git -C "$ROOT" status --porcelain)" ]; then
  echo "dist: the work tree has uncommitted changes; the release is built from the commit ${commit:0:12} alone" >&2
fi

WORK="$(mktemp -d "${TMPDIR:-/tmp}/tamarko-dist.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
SRC="$WORK/tamarko"
git clone -q --no-checkout "$ROOT" "$SRC"
git -C "$SRC" checkout -q --detach "$commit"

# The libjpeg source package already fetched is Debian's, untouched by our
# builds (they build beside it): copying it spares a download. The library
# itself is built anew from it, as everything else.
if [ -f "$ROOT/build/deps/libjpeg-turbo-src/jpeglib.h" ]; then
  mkdir -p "$SRC/build/deps"
  cp -a "$ROOT/build/deps/libjpeg-turbo-src" "$SRC/build/deps/"
fi

export SOURCE_DATE_EPOCH="$(git -C "$SRC" log -1 --format=%ct)"
echo "dist: building ${commit:0:12} in a clean clone"
"$SRC/scripts/build.sh" win32 >"$WORK/build.log" 2>&1 || {
  tail -n 30 "$WORK/build.log" >&2
  echo "dist: the build failed" >&2
  exit 1
}

# Named as the program names itself ("Tamarko verze 1.4"); further numbers
# only when they are not zero.
version="$(sed -n 's/^#define TAMARKO_VERSION_TEXT "\(.*\)"$/\1/p' "$SRC/build/win32/generated/tamarko_version.h")"
[ -n "$version" ] || { echo "dist: no version in the build tree" >&2; exit 1; }
while [[ "$version" == *.*.* && "$version" == *.0 ]]; do version="${version%.0}"; done

python3 "$SRC/tools/dist/package.py" \
  --exe "$SRC/build/win32/tamarko.exe" \
  --guide "$SRC/docs/ctimne.txt" \
  --license "$SRC/LICENSE" \
  --libjpeg-source "$SRC/build/deps/libjpeg-turbo-src" \
  --epoch "$SOURCE_DATE_EPOCH" \
  --zip "$OUT/tamarko-$version-win32.zip"
