#!/usr/bin/env bash
# Installs what building and testing Tamarko needs on Debian 12, once.
# Every step looks before it acts, so running it again costs a few seconds.
#   scripts/setup.sh [--fuzz]   --fuzz: also clang's libFuzzer, for ./fuzz.sh
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

PACKAGES=(
  cmake make g++ googletest
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine64 wine32:i386
  xvfb locales fonts-liberation fonts-wine
  dpkg-dev python3 git unzip
  x11-apps imagemagick
)
if [ "${1:-}" = "--fuzz" ]; then
  PACKAGES+=(clang libclang-rt-14-dev)
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: enabling the i386 architecture for wine32"
  $SUDO dpkg --add-architecture i386
  NEED_UPDATE=1
fi

# deb-src entries let the build fetch the libjpeg-turbo source package.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  echo "setup: adding deb-src entries for the source packages"
  $SUDO tee /etc/apt/sources.list.d/tamarko-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  NEED_UPDATE=1
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# A mirror in the middle of its sync serves a list of the wrong size for a few
# minutes; the lists are asked again before going on with those that came.
update_package_lists() {
  local attempt
  for attempt in 1 2 3 4; do
    $SUDO apt-get update -q -o Acquire::Retries=3 && return 0
    echo "setup: some package lists did not come (attempt $attempt of 4)" >&2
    [ "$attempt" -eq 4 ] || sleep $((attempt * 15))
  done
  echo "setup: going on with the package lists that came" >&2
}

# Without the security archive's i386 list, wine32's libraries cannot match
# the versions of their amd64 twins; the release's own versions always match.
install_packages() {
  local install=($SUDO apt-get install -y -q --no-install-recommends -o Acquire::Retries=3)
  "${install[@]}" "$@" && return 0
  echo "setup: installing again with the versions of the release itself" >&2
  "${install[@]}" -t "$(. /etc/os-release && echo "$VERSION_CODENAME")" "$@"
}

if [ "${#missing[@]}" -gt 0 ] || [ -n "${NEED_UPDATE:-}" ]; then
  echo "setup: installing ${missing[*]:-(package lists only)}"
  update_package_lists
  [ "${#missing[@]}" -eq 0 ] || install_packages "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qix 'cs_CZ.utf8'; then
  echo "setup: generating the cs_CZ.UTF-8 locale"
  $SUDO localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8
fi
