#!/usr/bin/env bash
# run.sh [DSN | SERVER DATABASE]: builds the client and starts it.
# With no argument it runs on the embedded default: a private PostgreSQL
# server whose data lives in $XDG_DATA_HOME/velmora (made with the demo data on
# the first run, kept afterwards) and the data source "velmora_dev" for it in
# ~/.odbc.ini. With arguments they go to the client unchanged.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

scripts/setup.sh
# Objects cached from another clone of the tree serve this one too.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
build=${VELMORA_BUILD_DIR:-build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -G Ninja -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target velmora
client=$build/app/velmora

if [ $# -gt 0 ]; then
  exec "$client" "$@"
fi

data=${XDG_DATA_HOME:-$HOME/.local/share}/velmora
started=0
if ! scripts/pgserver.sh running "$data" 2>/dev/null; then
  first=0
  [ -f "$data/data/PG_VERSION" ] || first=1
  [ "$first" = 1 ] && echo "run: creating the demo database in $data"
  scripts/pgserver.sh start "$data" --persistent
  started=1
fi
scripts/odbcini.sh "$data/odbc.ini" "${ODBCINI:-$HOME/.odbc.ini}"
# The demo database's clerk and approver, unless the site has its own list.
config=${XDG_CONFIG_HOME:-$HOME/.config}/velmora
if [ ! -f "$config/rights.ini" ]; then
  mkdir -p "$config"
  printf '[Rights]\nClerks=kladov\nApprovers=master\n' > "$config/rights.ini"
fi

if [ "$started" = 1 ]; then
  trap 'scripts/pgserver.sh stop "$data"' EXIT
fi
"$client"
