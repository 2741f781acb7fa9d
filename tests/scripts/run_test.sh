#!/usr/bin/env bash
# run_test.sh CASE: the embedded default server of run.sh and pgserver.sh,
# each case in a home of its own. The client is a stand-in (VELMORA_CLIENT)
# that says it runs and waits to be told to end, so that a case can look at
# the server while clients use it.
set -euo pipefail

src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
T=$(mktemp -d /tmp/velmora-scripts.XXXXXX)
# A home that other accounts may pass through, as many are.
chmod 755 "$T"
export T HOME=$T/home
export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config ODBCINI=$HOME/.odbc.ini
mkdir -p "$HOME"
chmod 755 "$HOME"
data=$XDG_DATA_HOME/velmora
declare -A client_pid

cleanup() {
  local n
  for n in "${!client_pid[@]}"; do touch "$T/go.$n"; done
  wait 2>/dev/null || true
  "$src/scripts/pgserver.sh" stop "$data" >/dev/null 2>&1 || true
  rm -rf "$T"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cat > "$T/client" <<'SH'
#!/usr/bin/env bash
touch "$T/up.$VELMORA_TEST_CLIENT"
while [ ! -e "$T/go.$VELMORA_TEST_CLIENT" ]; do sleep 0.1; done
SH
chmod 755 "$T/client"

# ./run.sh in the background, back when its client runs.
start_client() {  # name [VAR=value...]
  local n=$1; shift
  env VELMORA_CLIENT="$T/client" VELMORA_TEST_CLIENT="$n" "$@" "$src/run.sh" >"$T/$n.log" 2>&1 &
  client_pid[$n]=$!
  for _ in $(seq 1 1200); do
    [ -e "$T/up.$n" ] && return 0
    kill -0 "${client_pid[$n]}" 2>/dev/null || { cat "$T/$n.log" >&2; fail "run.sh of $n ended before its client ran"; }
    sleep 0.1
  done
  fail "the client $n did not start"
}

end_client() {  # name
  touch "$T/go.$1"
  wait "${client_pid[$1]}" || { cat "$T/$1.log" >&2; fail "run.sh of $1 failed"; }
  unset "client_pid[$1]"
}

# SQL on the embedded server as its owner.
sql() {  # sql
  (. "$data/env"
   PGPASSWORD=$VELMORA_PG_PASSWORD psql -X -q -w -At -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$VELMORA_PG_PORT" \
     -U "$VELMORA_PG_USER" -d velmora -c "$1")
}

# SQL through the data source velmora_dev with the account that it holds;
# isql tells a refusal only in its output.
dsn_sql() {  # sql
  local out
  out=$(printf '%s\n' "$1" | isql -b -v -d'|' velmora_dev 2>&1)
  echo "$out"
  ! grep -q 'ERROR\|Error while' <<<"$out"
}

server_up() { "$src/scripts/pgserver.sh" running "$data"; }

odbc_value() { sed -n "s/^$1=//p" "$ODBCINI"; }

check_durability() {
  local name
  for name in fsync synchronous_commit full_page_writes; do
    [ "$(sql "SHOW $name")" = on ] || fail "the kept server runs with $name off"
  done
}

check_russian_messages() {
  local out
  out=$(sql "UPDATE adm_user.users SET s_caption = repeat('x', 300)" 2>&1) && fail "a too long value was taken"
  echo "$out"
  grep -q 'значение не умещается в тип character varying(254)' <<<"$out" || fail "the refusal is not in Russian"
}

check_prelogin_account() {
  local user out
  user=$(odbc_value Username)
  [ "$user" != "$(sql "SELECT datdba::regrole FROM pg_database WHERE datname = 'velmora'")" ] ||
    fail "the data source holds the database owner"
  # What the client does before the sign-in.
  out=$(dsn_sql "SELECT count(*) FROM adm_user.users WHERE s_name = 'sys'") || fail "user lookup refused: $out"
  grep -qx 1 <<<"$out" || fail "user lookup: $out"
  out=$(dsn_sql "UPDATE ver SET d = d, t = t") || fail "version update refused: $out"
  out=$(dsn_sql "SELECT delim FROM ver") || fail "version read refused: $out"
  # Nothing else.
  local write
  for write in "UPDATE adm_user.users SET s_caption = s_caption" \
               "DELETE FROM ver" \
               "INSERT INTO cmn_department.department (id, s_caption) VALUES (99, 'x')" \
               "CREATE TABLE public.x (i integer)" \
               "SELECT truncate_tables('mnf_app')"; do
    out=$(dsn_sql "$write") && fail "the pre-login account may: $write"
    grep -q 'нет доступа\|permission denied' <<<"$out" || fail "$write: $out"
  done
  # isql takes a statement a line.
  local q="SELECT c.oid::regclass FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
  q+=" WHERE c.relkind IN ('r', 'p', 'v') AND n.nspname NOT IN ('pg_catalog', 'information_schema')"
  q+=" AND c.oid <> 'public.ver'::regclass AND has_table_privilege(c.oid, 'INSERT, UPDATE, DELETE, TRUNCATE')"
  out=$(dsn_sql "$q") ||
    fail "the table list: $out"
  [ -z "$out" ] || fail "the pre-login account may write to: $out"
}

case_interrupted_setup() {
  local step
  for step in roles data; do
    touch "$T/go.$step"   # a client that should not run ends at once
    env VELMORA_CLIENT="$T/client" VELMORA_TEST_CLIENT="$step" VELMORA_PG_FAIL_AFTER="$step" \
      "$src/run.sh" >"$T/$step.log" 2>&1 && fail "the creation went on after $step"
    [ ! -e "$T/up.$step" ] || fail "the client ran on a creation killed after $step"
    ! server_up || fail "the server runs on after a creation killed after $step"
    [ -z "$(pgrep -f -- "-D $data/data" || true)" ] || fail "a server process is left after $step"
  done
  start_client a
  [ "$(sql "SELECT count(*) FROM adm_user.users")" = 5 ] || fail "the demo data is not complete"
  [ -n "$(dsn_sql "SELECT d FROM ver")" ] || fail "the data source does not work"
  end_client a
  start_client b
  [ "$(sql "SELECT count(*) FROM adm_user.users")" = 5 ] || fail "the second start made the data again"
  end_client b
}

check_private_server() {
  . "$data/env"
  local secret
  for secret in $(cut -d: -f5 "$data/pgpass") "$(odbc_value Password)"; do
    ! grep -qF -- "$secret" "$T/ps.log" || fail "a password showed on a command line"
  done
  local d
  for d in "$data" "$VELMORA_PG_DATA" "$VELMORA_PG_SOCKET"; do
    [ "$(stat -c %a "$d")" = 700 ] || fail "$d is open to others: $(stat -c %a "$d")"
  done
  [ "$(sql "SHOW unix_socket_permissions")" = 0700 ] || fail "the socket is open to others"
  # Another account, and this one without the password: over the socket and over TCP.
  local host who
  for host in "$VELMORA_PG_SOCKET" 127.0.0.1; do
    for who in postgres velmora; do
      runuser -u nobody -- env -i PATH="$PATH" psql -X -w -h "$host" -p "$VELMORA_PG_PORT" -U "$who" -d velmora \
        -c 'SELECT 1' >/dev/null 2>&1 && fail "another account signs in as $who at $host"
      env -u PGPASSWORD PGPASSFILE=/dev/null psql -X -w -h "$host" -p "$VELMORA_PG_PORT" -U "$who" -d velmora \
        -c 'SELECT 1' >/dev/null 2>&1 && fail "$who signs in at $host without the password"
    done
  done
  [ "$(sql "SELECT 1")" = 1 ] || fail "the owner cannot sign in with the password"
}

# What one embedded server must be, looked at while a client uses it. The
# command lines of every process are watched while it is made.
case_embedded_server() {
  ( while [ ! -e "$T/setup.done" ]; do ps -eo args; sleep 0.02; done > "$T/ps.log" ) &
  local watcher=$!
  start_client a
  touch "$T/setup.done"
  wait "$watcher"
  local check
  for check in durability russian_messages prelogin_account private_server; do
    "check_$check"
    echo "ok: $check"
  done
  end_client a
}

case_shared_server() {
  start_client a
  start_client b
  end_client a
  server_up || fail "the server stopped while b still ran"
  [ "$(sql "SELECT 1")" = 1 ] || fail "the server does not answer b"
  end_client b
  ! server_up || fail "the last client left the server running"
  # A client killed without a word does not keep the server up for ever.
  start_client c
  kill -KILL "${client_pid[c]}"
  wait "${client_pid[c]}" 2>/dev/null || true
  unset "client_pid[c]"
  touch "$T/go.c"
  server_up || fail "the server went with the killed run.sh"
  start_client d
  end_client d
  ! server_up || fail "a dead client kept the server running"
}

case_port_retry() {
  start_client a
  local port
  port=$(. "$data/env"; echo "$VELMORA_PG_PORT")
  end_client a
  # Bound but not listening: the port looks free and the server cannot bind it.
  # A connection the stopped server closed first holds the port in TIME_WAIT
  # for up to a minute, so the bind is tried until that has passed.
  perl -MSocket -MTime::HiRes=sleep -e '
    socket(S, PF_INET, SOCK_STREAM, 0) or die "socket: $!";
    my $Addr = pack_sockaddr_in($ARGV[0], inet_aton("127.0.0.1"));
    my $Bound;
    for (1 .. 450) {
      if (bind(S, $Addr)) { $Bound = 1; last }
      die "bind: $!" unless $!{EADDRINUSE};
      sleep 0.2;
    }
    die "bind: $!" unless $Bound;
    open(F, ">", $ARGV[1]); close(F); sleep 300' \
    "$port" "$T/squatting" &
  local squatter=$!
  for _ in $(seq 1 1000); do [ -e "$T/squatting" ] && break; kill -0 "$squatter" 2>/dev/null || break; sleep 0.1; done
  [ -e "$T/squatting" ] || fail "could not take port $port"
  start_client b
  local now
  now=$(. "$data/env"; echo "$VELMORA_PG_PORT")
  [ "$now" != "$port" ] || fail "the server claims the taken port"
  [ "$(odbc_value Port)" = "$now" ] || fail "the data source names port $(odbc_value Port), the server has $now"
  [ -n "$(dsn_sql "SELECT d FROM ver")" ] || fail "the data source does not reach the server"
  end_client b
  kill "$squatter"
}

"case_$1"
echo "ok: $1"
