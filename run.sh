#!/usr/bin/env bash
# run.sh [DSN | SERVER DATABASE]: builds the client and starts it.
# With no argument it runs on the embedded default: a private PostgreSQL
# server whose data lives in $XDG_DATA_HOME/velmora (made with the demo data on
# the first run, kept afterwards) and the data source "velmora_dev" for it in
# ~/.odbc.ini. Every run.sh of the account shares that server; the last one to
# end stops it. With arguments they go to the client unchanged.
#
# Test and site hook: VELMORA_CLIENT names a program to start instead of the
# client; nothing is then installed or built.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

client=${VELMORA_CLIENT:-}
if [ -z "$client" ]; then
  scripts/setup.sh
  # Objects cached from another clone of the tree serve this one too.
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
  build=${VELMORA_BUILD_DIR:-build}
  if [ ! -f "$build/build.ninja" ]; then
    cmake -G Ninja -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$build" --target velmora
  client=$build/app/velmora
fi

if [ $# -gt 0 ]; then
  exec "$client" "$@"
fi

data=${XDG_DATA_HOME:-$HOME/.local/share}/velmora
# Set before the server can start: whatever ends this script, it lets go of
# the server, and the last client stops it.
trap 'scripts/pgserver.sh detach "$data" $$' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
scripts/pgserver.sh attach "$data" $$
# unixODBC finds ~/.odbc.ini through the account, not $HOME: name the file.
export ODBCINI=${ODBCINI:-$HOME/.odbc.ini}
scripts/odbcini.sh "$data/odbc.ini" "$ODBCINI"
# The demo database's clerk and approver, unless the site has its own list.
config=${XDG_CONFIG_HOME:-$HOME/.config}/velmora
if [ ! -f "$config/rights.ini" ]; then
  mkdir -p "$config"
  printf '[Rights]\nClerks=kladov\nApprovers=master\n' > "$config/rights.ini"
fi

"$client"
