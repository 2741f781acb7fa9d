#!/usr/bin/env bash
# setup.sh [--extra]: installs, only when missing, every Debian package that
# building, testing and running VELMORA need; --extra adds what the fuzz
# targets, benchmarks and memory checks need. Works as root or through sudo;
# when all is present it only asks dpkg and returns.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build ccache pkg-config lld
  # libraries
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6
  unixodbc unixodbc-dev odbc-postgresql
  zlib1g-dev libjpeg-dev libuemf-dev
  # database server and client
  postgresql postgresql-client acl
  # tests, and a virtual desktop with a window manager to run the client in
  libgtest-dev googletest poppler-utils
  xvfb x11-apps x11-utils openbox xdotool python3
  # fonts with Cyrillic glyphs; Liberation and Carlito/Caladea stand in,
  # metric for metric, for the common Windows fonts
  fontconfig fonts-dejavu-core fonts-liberation fonts-liberation2
  fonts-crosextra-carlito fonts-crosextra-caladea
)
# The metafile test has LibreOffice draw the pages we save; any install of it serves.
command -v soffice >/dev/null || packages+=(libreoffice-draw-nogui)
if [ "${1:-}" = --extra ]; then
  # fuzzing, benchmarks, memory checks
  packages+=(clang libclang-rt-14-dev libbenchmark-dev valgrind)
fi

missing=()
while read -r name status; do
  [ "$status" = "install ok installed" ] || missing+=("$name")
done < <(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true)
# dpkg-query says nothing at all for a package it has never heard of.
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)

echo "setup: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install packages" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# The server package of a fresh install starts a cluster of its own; ours are private.
"${sudo[@]}" systemctl disable --now postgresql >/dev/null 2>&1 || true
