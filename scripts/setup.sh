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
  zlib1g-dev libjpeg-dev libuemf-dev libicu-dev
  # database server and client; the Russian locale of the server's messages
  postgresql postgresql-client acl locales
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
  # the dataset benchmark's peer: Qt's own PostgreSQL driver
  packages+=(libqt6sql6-psql)
  # the in-memory dataset benchmark's peer: SQLite
  packages+=(libsqlite3-dev)
fi

missing=()
while read -r name status; do
  [ "$status" = "install ok installed" ] || missing+=("$name")
done < <(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true)
# dpkg-query says nothing at all for a package it has never heard of.
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" >/dev/null 2>&1 || missing+=("$p")
done
russian=0
locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8' || russian=1
[ ${#missing[@]} -eq 0 ] && [ "$russian" = 0 ] && exit 0

sudo=()
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install packages" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive

if [ ${#missing[@]} -gt 0 ]; then
  mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
  echo "setup: installing ${missing[*]}"
  # A server package installed now makes a cluster of its own and starts it;
  # ours are private. The clusters the machine had before stay as they were.
  clusters() { ls -d /etc/postgresql/*/* 2>/dev/null || true; }
  before=$(clusters)
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  for c in $(clusters); do
    grep -qxF "$c" <<<"$before" && continue
    v=$(basename "$(dirname "$c")") n=$(basename "$c")
    "${sudo[@]}" pg_ctlcluster "$v" "$n" stop >/dev/null 2>&1 || true
    echo manual | "${sudo[@]}" tee "$c/start.conf" >/dev/null
  done
fi

if [ "$russian" = 1 ]; then
  echo "setup: generating the locale ru_RU.UTF-8"
  if ! grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ru_RU.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo[@]}" locale-gen >/dev/null
fi
