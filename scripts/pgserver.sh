#!/usr/bin/env bash
# pgserver.sh: a private PostgreSQL server for the tests and the embedded default.
#
#   pgserver.sh start DIR [--persistent]   start (creating it on first use) a server
#                                          whose state lives in DIR; writes DIR/odbc.ini,
#                                          DIR/env and DIR/pgpass
#   pgserver.sh stop DIR                   stop it; a test server's files are removed
#   pgserver.sh running DIR                true while the server of DIR runs
#   pgserver.sh attach DIR PID             start the kept server of DIR if needed and
#                                          count the process PID among its clients
#   pgserver.sh detach DIR PID             forget PID; the last live client stops the server
#   pgserver.sh load DIR FILE...           run SQL files as the database owner
#
# Every server listens on 127.0.0.1 and on a socket in a folder of its own
# account only, and every sign-in needs a password (scram). The passwords live
# in DIR/pgpass, DIR/env and DIR/odbc.ini, readable by their owner alone, and
# never on a command line.
#
# A test server (the default) is made anew each time: initdb into a temporary
# folder, a free port, the schema and fixture loaded into the template database
# "velmora_template", and "velmora" created from it. Its data dies with the
# run, so it runs without fsync.
#
# A persistent server (--persistent, used by run.sh) keeps its data in DIR/data
# with PostgreSQL's full durability and speaks Russian (lc_messages). Its first
# start creates the demo database: the owner "velmora", the sign-in roles of
# db/demo_roles.sql, the pre-login account "velmora_prelogin" (the one the data
# source holds, with the rights of db/prelogin.sql) and the data. The creation
# ends by writing DIR/data/velmora_ready; a start that does not find it makes
# the server again.
#
# Test hook: VELMORA_PG_FAIL_AFTER=init|roles|database|data kills the creation
# of a persistent server right after that step.
set -euo pipefail
umask 077

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

port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

free_port() {
  local p
  for _ in $(seq 1 200); do
    p=$((20000 + RANDOM % 30000))
    if ! port_taken "$p"; then echo "$p"; return; fi
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

# The Russian locale of the server's messages, when the machine has it.
russian_messages() {
  locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8' && echo ru_RU.UTF-8
}

# Shows that an unfinished creation is finished by the next start.
step_done() {
  if [ "${VELMORA_PG_FAIL_AFTER:-}" = "$1" ]; then kill -KILL $$; fi
}

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
}

write_env() {  # dir base datadir sockdir port user password
  cat > "$1/env" <<ENV
VELMORA_PG_BASE=$2
VELMORA_PG_DATA=$3
VELMORA_PG_SOCKET=$4
VELMORA_PG_PORT=$5
VELMORA_PG_USER=$6
VELMORA_PG_PASSWORD=$7
ENV
}

psql_as() {  # dir role database args...: over TCP, the password from DIR/pgpass
  local dir=$1 role=$2 db=$3; shift 3
  # shellcheck disable=SC1091
  . "$dir/env"
  PGPASSFILE=$dir/pgpass psql -X -q -w -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$VELMORA_PG_PORT" \
    -U "$role" -d "$db" "$@"
}

psql_owner() {  # dir database args...
  local dir=$1 db=$2; shift 2
  . "$dir/env"
  psql_as "$dir" "$VELMORA_PG_USER" "$db" "$@"
}

server_running() {  # datadir
  [ -f "$1/postmaster.pid" ] && as_pg "$(pg_bindir)/pg_ctl" -D "$1" status >/dev/null 2>&1
}

# Starts the server on $port. Another program may take the port between our
# look and the server's bind: then another port is tried.
start_server() {  # datadir log
  local datadir=$1 log=$2 tries=0 from
  while :; do
    from=$(stat -c %s "$log" 2>/dev/null || echo 0)
    # The server must not hold the clients' lock.
    if as_pg "$(pg_bindir)/pg_ctl" -D "$datadir" -l "$log" -w -t 60 -o "-p $port" start >/dev/null 9>&-; then
      return 0
    fi
    tries=$((tries + 1))
    # The bind error names the address family in every language.
    if [ "$tries" -lt 5 ] && tail -c +"$((from + 1))" "$log" 2>/dev/null | grep -q 'IPv4\|TCP/IP'; then
      port=$(free_port)
      continue
    fi
    tail -c +"$((from + 1))" "$log" >&2 || true
    die "server did not start"
  done
}

init_cluster() {  # base datadir sockdir persistent superuser-password
  local base=$1 datadir=$2 sockdir=$3 persistent=$4 pwfile=$1/pwfile msgs
  case "$sockdir" in *"'"*) die "the folder $sockdir cannot hold the server's socket" ;; esac
  printf '%s\n' "$5" > "$pwfile"
  [ "$(id -u)" = 0 ] && chown postgres "$pwfile"
  as_pg "$(pg_bindir)/initdb" -D "$datadir" -U postgres -E UTF8 --locale=C.UTF-8 \
    --locale-provider=icu --icu-locale=ru-RU --no-sync \
    --auth-local=scram-sha-256 --auth-host=scram-sha-256 --pwfile="$pwfile" >/dev/null \
    || { rm -f "$pwfile"; die "initdb failed"; }
  rm -f "$pwfile"
  {
    echo "# VELMORA"
    echo "listen_addresses = '127.0.0.1'"
    echo "unix_socket_directories = '$sockdir'"
    echo "unix_socket_permissions = 0700"
    if [ -n "$persistent" ]; then
      msgs=$(russian_messages) || true
      [ -z "$msgs" ] || echo "lc_messages = '$msgs'"
    else
      # A test server's data dies with the run. Its tests drop and make the
      # database again, which an autovacuum worker in it would refuse.
      echo "fsync = off"
      echo "synchronous_commit = off"
      echo "full_page_writes = off"
      echo "autovacuum = off"
    fi
  } >> "$datadir/postgresql.conf"
}

# A kept folder without the ready mark is a creation that stopped half-way
# (its server may still run): it is made again. One made before the mark
# existed is kept aside rather than lost.
discard_unfinished() {  # dir datadir
  local dir=$1 datadir=$2 aside
  [ -e "$datadir" ] && [ ! -f "$datadir/velmora_ready" ] || return 0
  if [ -f "$datadir/postmaster.pid" ]; then
    as_pg "$(pg_bindir)/pg_ctl" -D "$datadir" -m fast -w stop >/dev/null 2>&1 || true
  fi
  if [ -f "$dir/creating" ] || [ ! -f "$datadir/PG_VERSION" ]; then
    rm -rf "$datadir"
  else
    aside=$dir/data.$(date +%Y%m%d-%H%M%S)
    mv "$datadir" "$aside"
    echo "pgserver: $datadir was made by an older version; it is kept as $aside" >&2
  fi
}

cmd_start() {
  local dir=$1 persistent=
  [ "${2:-}" = --persistent ] && persistent=1
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  local base datadir sockdir user pass prepass superpass fresh=0
  port=
  if [ -n "$persistent" ]; then
    base=$dir
    datadir=$dir/data
    sockdir=$dir/run
    user=velmora
    if [ -f "$datadir/velmora_ready" ] && server_running "$datadir"; then
      return 0
    fi
    discard_unfinished "$dir" "$datadir"
  else
    cmd_stop "$dir" 2>/dev/null || true
    # The server runs as "postgres", which may not reach a build folder under
    # /root: its files live in a temporary folder of their own.
    base=$(mktemp -d /tmp/velmora-pg.XXXXXX)
    datadir=$base/data
    sockdir=$base
    user=velmora_test
  fi
  mkdir -p "$sockdir"
  chmod 700 "$base" "$sockdir"
  if [ "$(id -u)" = 0 ]; then
    chown postgres "$base" "$sockdir"
    [ -d "$datadir" ] && chown -R postgres "$datadir"
    grant_traverse "$base"
  fi

  if [ ! -f "$datadir/PG_VERSION" ]; then
    fresh=1
    [ -z "$persistent" ] || { : > "$dir/creating"; echo "pgserver: creating the demo database in $dir" >&2; }
    superpass=$(random_password) pass=$(random_password) prepass=$(random_password)
    printf '*:*:*:postgres:%s\n*:*:*:%s:%s\n' "$superpass" "$user" "$pass" > "$dir/pgpass"
    init_cluster "$base" "$datadir" "$sockdir" "$persistent" "$superpass"
    step_done init
  else
    . "$dir/env"
    pass=$VELMORA_PG_PASSWORD
    # A kept server keeps its port, so that data sources pointing at it stay valid.
    port_taken "$VELMORA_PG_PORT" || port=$VELMORA_PG_PORT
  fi
  [ -n "$port" ] || port=$(free_port)
  # The env file is there before the server, so that a failed start can be stopped.
  write_env "$dir" "$base" "$datadir" "$sockdir" "$port" "$user" "$pass"
  start_server "$datadir" "$sockdir/server.log"
  write_env "$dir" "$base" "$datadir" "$sockdir" "$port" "$user" "$pass"

  if [ -z "$persistent" ]; then
    psql_as "$dir" postgres postgres <<SQL
CREATE ROLE $user LOGIN CREATEDB CREATEROLE PASSWORD '$pass';
CREATE DATABASE velmora_template OWNER $user;
SQL
    load_files "$dir" velmora_template "$root/db/schema.sql" "$root/db/fixture.sql"
    psql_owner "$dir" postgres -c "CREATE DATABASE velmora TEMPLATE velmora_template"
    write_odbc_ini "$dir" "$port" "$user" "$pass" velmora
    return 0
  fi

  if [ "$fresh" = 1 ]; then
    # Nothing of the creation counts before its end: its commits need not
    # wait for the disk. The last one does, which makes all before it durable.
    local quick="${PGOPTIONS:-} -c synchronous_commit=off"
    PGOPTIONS=$quick psql_as "$dir" postgres postgres <<SQL
CREATE ROLE $user LOGIN PASSWORD '$pass';
CREATE ROLE velmora_prelogin LOGIN PASSWORD '$prepass';
SQL
    printf 'VELMORA_PG_PRELOGIN_PASSWORD=%s\n' "$prepass" > "$dir/prelogin"
    PGOPTIONS=$quick psql_as "$dir" postgres postgres -f "$root/db/demo_roles.sql"
    step_done roles
    PGOPTIONS=$quick psql_as "$dir" postgres postgres -c "CREATE DATABASE velmora OWNER $user"
    step_done database
    PGOPTIONS=$quick load_files "$dir" velmora "$root/db/schema.sql" "$root/db/fixture.sql" "$root/db/demo.sql"
    psql_owner "$dir" velmora -v account=velmora_prelogin -f "$root/db/prelogin.sql" >/dev/null
    step_done data
    # initdb left its files to the system's cache.
    sync -f "$datadir"
    as_pg touch "$datadir/velmora_ready"
    rm -f "$dir/creating"
  fi
  . "$dir/prelogin"
  write_odbc_ini "$dir" "$port" velmora_prelogin "$VELMORA_PG_PRELOGIN_PASSWORD" velmora
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
    /tmp/velmora-pg.*) rm -rf "$VELMORA_PG_BASE" "$dir/env" "$dir/odbc.ini" "$dir/pgpass" ;;
  esac
}

# The clients of a kept server, one "PID START-TIME" a line in DIR/clients.
# The start time tells a client that died without a word from a new process
# that got its number.
proc_start() {  # pid
  local s
  s=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  s=${s##*) }
  # shellcheck disable=SC2086
  set -- $s
  echo "${20}"
}

live_clients() {  # dir [pid to leave out]
  local pid start
  [ -f "$1/clients" ] || return 0
  while read -r pid start; do
    [ -n "$pid" ] && [ "$pid" != "${2:-}" ] && [ "$(proc_start "$pid" || true)" = "$start" ] &&
      echo "$pid $start"
  done < "$1/clients"
  return 0
}

lock_clients() {  # dir: held until this script ends
  mkdir -p "$1"
  exec 9>>"$1/clients.lock"
  flock 9
}

cmd_attach() {  # dir pid
  local dir=$1 pid=$2 start live
  start=$(proc_start "$pid") || die "no process $pid"
  lock_clients "$dir"
  live=$(live_clients "$dir")
  cmd_start "$dir" --persistent
  { [ -z "$live" ] || echo "$live"; echo "$pid $start"; } > "$dir/clients"
}

cmd_detach() {  # dir pid
  local dir=$1 live
  [ -d "$dir" ] || return 0
  lock_clients "$dir"
  live=$(live_clients "$dir" "$2")
  if [ -n "$live" ]; then
    echo "$live" > "$dir/clients"
  else
    rm -f "$dir/clients"
    cmd_stop "$dir"
  fi
}

case "${1:-}" in
  running) [ $# -eq 2 ] || die "usage: pgserver.sh running DIR"; [ -f "$2/env" ] && . "$2/env" && server_running "$VELMORA_PG_DATA" ;;
  start) [ $# -ge 2 ] || die "usage: pgserver.sh start DIR [--persistent]"; cmd_start "$2" "${3:-}" ;;
  stop)  [ $# -eq 2 ] || die "usage: pgserver.sh stop DIR"; cmd_stop "$2" ;;
  attach) [ $# -eq 3 ] || die "usage: pgserver.sh attach DIR PID"; cmd_attach "$2" "$3" ;;
  detach) [ $# -eq 3 ] || die "usage: pgserver.sh detach DIR PID"; cmd_detach "$2" "$3" ;;
  load)  [ $# -ge 3 ] || die "usage: pgserver.sh load DIR FILE..."; d=$2; shift 2; load_files "$d" velmora "$@" ;;
  *) die "usage: pgserver.sh start|stop|running|attach|detach|load DIR ..." ;;
esac
