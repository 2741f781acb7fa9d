#!/usr/bin/env bash
# pgserver.sh: a private PostgreSQL server for the tests and the embedded default.
#
#   pgserver.sh start DIR [--persistent]   start (creating it on first use) a server
#                                          whose state lives in DIR; writes DIR/odbc.ini
#                                          and DIR/env
#   pgserver.sh stop DIR                   stop it; a test server's files are removed
#   pgserver.sh load DIR FILE...           run SQL files as the database owner
#
# A test server (the default) is made anew each time: initdb into a temporary
# folder, a free port on 127.0.0.1, the schema and fixture loaded into the
# template database "velmora_template", and "velmora" created from it.
# A persistent server (--persistent, used by run.sh) keeps its data in DIR/data
# and is created with the demo data set on its first start.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")

die() { echo "pgserver: $*" >&2; exit 1; }

pg_bindir() {
  local d
  d=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -n "$d" ] && [ -x "$d/initdb" ] || die "PostgreSQL server binaries not found (run scripts/setup.sh)"
  echo "$d"
}

# As root the server runs as "postgres": it refuses to run as root.
as_pg() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

free_port() {
  local p
  for _ in $(seq 1 200); do
    p=$((20000 + RANDOM % 30000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then echo "$p"; return; fi
  done
  die "no free port found"
}

# As root, a kept server's folder may lie under /root: let "postgres" (and
# nobody else) pass through the folders above it.
grant_traverse() {
  local d
  d=$(dirname "$1")
  while [ "$d" != / ]; do
    if ! runuser -u postgres -- test -x "$d" 2>/dev/null; then
      setfacl -m u:postgres:x "$d" || die "cannot let the server reach $1"
    fi
    d=$(dirname "$d")
  done
}

random_password() { head -c 18 /dev/urandom | base64 | tr -d '/+=' | head -c 20; }

write_odbc_ini() {  # dir port user password database
  cat > "$1/odbc.ini" <<INI
[velmora_dev]
Description=VELMORA database
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$2
Database=$5
Username=$3
Password=$4
SSLmode=prefer
INI
  chmod 600 "$1/odbc.ini"
}

psql_owner() {  # dir database args...
  local dir=$1 db=$2; shift 2
  # shellcheck disable=SC1091
  . "$dir/env"
  PGPASSWORD=$VELMORA_PG_PASSWORD psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$VELMORA_PG_PORT" \
    -U "$VELMORA_PG_USER" -d "$db" "$@"
}

psql_super() {  # dir database args...
  local dir=$1 db=$2; shift 2
  . "$dir/env"
  as_pg psql -X -q -v ON_ERROR_STOP=1 -h "$VELMORA_PG_SOCKET" -p "$VELMORA_PG_PORT" -U postgres -d "$db" "$@"
}

server_running() {  # datadir
  [ -f "$1/postmaster.pid" ] && as_pg "$(pg_bindir)/pg_ctl" -D "$1" status >/dev/null 2>&1
}

start_server() {  # dir datadir sockdir port
  local log="$3/server.log"
  as_pg "$(pg_bindir)/pg_ctl" -D "$2" -l "$log" -w -t 60 \
    -o "-p $4 -k $3 -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
    start >/dev/null || { cat "$log" >&2 || true; die "server did not start"; }
}

init_cluster() {  # datadir
  as_pg "$(pg_bindir)/initdb" -D "$1" -U postgres -E UTF8 --locale=C.UTF-8 \
    --locale-provider=icu --icu-locale=ru-RU \
    --auth-local=trust --auth-host=scram-sha-256 >/dev/null
}

cmd_start() {
  local dir=$1 persistent=${2:-}
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  local base datadir sockdir port user pass fresh=0
  if [ "$persistent" = --persistent ]; then
    base=$dir
    datadir=$dir/data
    sockdir=$dir/run
    user=velmora
  else
    cmd_stop "$dir" 2>/dev/null || true
    # The server runs as "postgres", which may not reach a build folder under
    # /root: its files live in a temporary folder of their own.
    base=$(mktemp -d /tmp/velmora-pg.XXXXXX)
    datadir=$base/data
    sockdir=$base
    user=velmora_test
  fi
  if [ "$persistent" = --persistent ] && server_running "$datadir"; then
    return 0
  fi
  mkdir -p "$sockdir"
  if [ "$(id -u)" = 0 ]; then
    chown postgres "$base" "$sockdir"
    [ -d "$datadir" ] && chown -R postgres "$datadir"
    grant_traverse "$base"
  fi
  if [ ! -f "$datadir/PG_VERSION" ]; then
    fresh=1
    init_cluster "$datadir"
  fi
  VELMORA_PG_PORT=
  if [ -f "$dir/env" ] && [ "$fresh" = 0 ]; then
    . "$dir/env"
    pass=$VELMORA_PG_PASSWORD
  else
    pass=$(random_password)
  fi
  # A kept server keeps its port, so that data sources pointing at it stay valid.
  port=
  if [ "$persistent" = --persistent ] && [ -n "${VELMORA_PG_PORT:-}" ] &&
     ! (exec 3<>"/dev/tcp/127.0.0.1/$VELMORA_PG_PORT") 2>/dev/null; then
    port=$VELMORA_PG_PORT
  fi
  [ -n "$port" ] || port=$(free_port)
  cat > "$dir/env" <<ENV
VELMORA_PG_BASE=$base
VELMORA_PG_DATA=$datadir
VELMORA_PG_SOCKET=$sockdir
VELMORA_PG_PORT=$port
VELMORA_PG_USER=$user
VELMORA_PG_PASSWORD=$pass
ENV
  chmod 600 "$dir/env"
  start_server "$dir" "$datadir" "$sockdir" "$port"
  write_odbc_ini "$dir" "$port" "$user" "$pass" velmora
  [ "$fresh" = 1 ] || return 0

  psql_super "$dir" postgres -c "CREATE ROLE $user LOGIN CREATEDB CREATEROLE PASSWORD '$pass'"
  if [ "$persistent" = --persistent ]; then
    [ -f "$root/db/demo_roles.sql" ] && psql_super "$dir" postgres -f "$root/db/demo_roles.sql"
    psql_super "$dir" postgres -c "CREATE DATABASE velmora OWNER $user"
    load_files "$dir" velmora "$root/db/schema.sql" "$root/db/fixture.sql" "$root/db/demo.sql"
  else
    psql_super "$dir" postgres -c "CREATE DATABASE velmora_template OWNER $user"
    load_files "$dir" velmora_template "$root/db/schema.sql" "$root/db/fixture.sql"
    psql_owner "$dir" postgres -c "CREATE DATABASE velmora TEMPLATE velmora_template"
  fi
}

load_files() {  # dir database files...
  local dir=$1 db=$2; shift 2
  local f
  for f in "$@"; do
    [ -f "$f" ] || continue
    psql_owner "$dir" "$db" -f "$f" >/dev/null
  done
}

cmd_stop() {
  local dir=$1
  [ -f "$dir/env" ] || return 0
  . "$dir/env"
  if [ -f "$VELMORA_PG_DATA/postmaster.pid" ]; then
    as_pg "$(pg_bindir)/pg_ctl" -D "$VELMORA_PG_DATA" -m fast -w stop >/dev/null 2>&1 \
      || as_pg "$(pg_bindir)/pg_ctl" -D "$VELMORA_PG_DATA" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  case "$VELMORA_PG_BASE" in
    /tmp/velmora-pg.*) rm -rf "$VELMORA_PG_BASE" "$dir/env" "$dir/odbc.ini" ;;
  esac
}

case "${1:-}" in
  running) [ $# -eq 2 ] || die "usage: pgserver.sh running DIR"; [ -f "$2/env" ] && . "$2/env" && server_running "$VELMORA_PG_DATA" ;;
  start) [ $# -ge 2 ] || die "usage: pgserver.sh start DIR [--persistent]"; cmd_start "$2" "${3:-}" ;;
  stop)  [ $# -eq 2 ] || die "usage: pgserver.sh stop DIR"; cmd_stop "$2" ;;
  load)  [ $# -ge 3 ] || die "usage: pgserver.sh load DIR FILE..."; d=$2; shift 2; load_files "$d" velmora "$@" ;;
  *) die "usage: pgserver.sh start|stop|load DIR ..." ;;
esac
