#!/usr/bin/env bash
# Runs kvx-server as a cluster on loopback, in a scratch folder: PostgreSQL (its own port),
# NODES nodes on port 2600 of 127.0.0.11, .12, ... and HAProxy on 127.0.0.1:2600 in front.
#   scripts/cluster.sh start NODES [kvx-server options...]   prints "node ADDR:2600" per node
#                                                             and "front ADDR:2600"
#   scripts/cluster.sh stop                                   ends everything it started
#   scripts/cluster.sh db-kill | db-start                     kill -9 the database / start it
# The database is kept between runs (remove the folder for a fresh one). Environment:
#   KVX_CLUSTER_DIR   scratch folder (default build/cluster)
#   KVX_CLUSTER_NET   first three parts of the addresses (default 127.0.0)
#   KVX_CLUSTER_DB_PORT  PostgreSQL's port (default 26432)
#   KVX_SERVER        the kvx-server program (default: the bench build, else the native one)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="${KVX_CLUSTER_DIR:-$root/build/cluster}"
net="${KVX_CLUSTER_NET:-127.0.0}"
db_port="${KVX_CLUSTER_DB_PORT:-26432}"
db="$dir/db"
uri="postgresql://kvx@127.0.0.1:$db_port/kvx"

die() { echo "cluster: $*" >&2; exit 1; }

# PostgreSQL refuses to run as root: then its files and processes belong to its own user.
as_db() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

pg_bin() {
  local found
  found="$(printf '%s\n' /usr/lib/postgresql/*/bin | sort -V | tail -1)"
  [ -x "$found/initdb" ] || found=""
  [ -n "$found" ] || die "PostgreSQL is missing (scripts/setup.sh installs it)"
  echo "$found"
}

server_program() {
  local candidate
  for candidate in "${KVX_SERVER:-}" "$root/build/bench/server/kvx-server" "$root/build/native/server/kvx-server"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && { echo "$candidate"; return; }
  done
  die "no kvx-server built (scripts/build.sh native)"
}

db_start() {
  local bin; bin="$(pg_bin)"
  as_db "$bin/pg_ctl" -D "$db/data" -l "$db/postgres.log" -w -t 30 \
    -o "-p $db_port -h 127.0.0.1 -k $db" start >/dev/null || die "PostgreSQL did not start (see $db/postgres.log)"
}

db_init() {
  local bin; bin="$(pg_bin)"
  mkdir -p "$db"
  [ "$(id -u)" -ne 0 ] || chown postgres: "$db"
  if [ ! -f "$db/data/PG_VERSION" ]; then
    # SQL_ASCII keeps the clients' bytes as they come; C makes lower() fold ASCII only.
    as_db "$bin/initdb" -D "$db/data" -U kvx -A trust -E SQL_ASCII --locale=C >"$db/initdb.log" 2>&1 \
      || die "initdb failed (see $db/initdb.log)"
    db_start
    as_db "$bin/createdb" -h 127.0.0.1 -p "$db_port" -U kvx kvx
  else
    db_start
  fi
}

# Waits for the "listening on" line of a node; its log tail when it does not come.
await_node() {
  local i=$1 pid=$2
  for _ in $(seq 1 200); do
    grep -q '^listening on' "$dir/node$i.out" 2>/dev/null && return 0
    alive "$pid" || break
    sleep 0.05
  done
  tail -5 "$dir/node$i.log" >&2
  return 1
}

start() {
  local nodes=${1:-}; shift || true
  [[ "$nodes" =~ ^[1-9][0-9]?$ ]] || die "usage: cluster.sh start NODES [kvx-server options...]"
  command -v haproxy >/dev/null || die "HAProxy is missing (scripts/setup.sh installs it)"
  [ ! -e "$dir/haproxy.pid" ] || die "already running in $dir (cluster.sh stop first)"
  local program; program="$(server_program)"
  mkdir -p "$dir"
  ulimit -n "$(ulimit -Hn)"
  db_init
  # One certificate for every node: behind the balancer, clients pin one fingerprint.
  [ -f "$dir/cert.pem" ] || openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
    -days 3650 -subj /CN=kvx-cluster -keyout "$dir/key.pem" -out "$dir/cert.pem" 2>/dev/null \
    || die "openssl could not make the cluster's certificate"
  local backends="" i addr pid
  for ((i = 1; i <= nodes; i++)); do
    addr="$net.$((10 + i))"
    # Behind the balancer every client comes from its address: limits per address are
    # the balancer's, so they are lifted here.
    "$program" --bind "$addr" --port 2600 --db "$uri" --cert "$dir/cert.pem" --key "$dir/key.pem" \
      --max-connections 1000000 \
      --max-per-address 1000000 --login-failures-per-address 1000000 --signups-per-address 1000000 \
      "$@" >"$dir/node$i.out" 2>"$dir/node$i.log" </dev/null &
    pid=$!
    echo "$pid" >"$dir/node$i.pid"
    await_node "$i" "$pid" || { stop; die "node $i did not start (see $dir/node$i.log)"; }
    echo "node $addr:2600"
    backends+="    server node$i $addr:2600"$'\n'
  done
  # As many clients as the file limit allows: two descriptors each.
  { sed -e '/^    server node/d' -e "s/bind 127.0.0.1:2600/bind $net.1:2600/" \
      -e "s/maxconn 200000/maxconn $((($(ulimit -n) - 64) / 2))/" "$root/server/dist/kvx-haproxy.cfg"
    printf '%s' "$backends"; } >"$dir/haproxy.cfg"
  haproxy -f "$dir/haproxy.cfg" -D -p "$dir/haproxy.pid" 2>"$dir/haproxy.log" \
    || { stop; die "HAProxy did not start (see $dir/haproxy.log)"; }
  for _ in $(seq 1 100); do
    (exec 3<>"/dev/tcp/$net.1/2600") 2>/dev/null && { echo "front $net.1:2600"; return 0; }
    sleep 0.1
  done
  stop
  die "HAProxy does not answer on $net.1:2600"
}

# Running and not a zombie: the processes started here are not this shell's children.
alive() {
  local state
  state="$(ps -o stat= -p "$1" 2>/dev/null)" || return 1
  [[ "$state" != Z* ]]
}

# TERM, then KILL for what is still there after ten seconds.
end_pid_file() {
  local file=$1 pid
  [ -f "$file" ] || return 0
  pid="$(head -1 "$file")"
  rm -f "$file"
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 200); do
    alive "$pid" || return 0
    sleep 0.05
  done
  kill -9 "$pid" 2>/dev/null || true
}

stop() {
  end_pid_file "$dir/haproxy.pid"
  local file
  for file in "$dir"/node*.pid; do end_pid_file "$file"; done
  if [ -f "$db/data/postmaster.pid" ]; then
    as_db "$(pg_bin)/pg_ctl" -D "$db/data" -m fast -w stop >/dev/null 2>&1 || true
  fi
}

# A crash of the database: the postmaster and its backends at once, no shutdown.
db_kill() {
  [ -f "$db/data/postmaster.pid" ] || die "the database is not running"
  local pid; pid="$(head -1 "$db/data/postmaster.pid")"
  kill -STOP "$pid" 2>/dev/null || true
  pkill -KILL -P "$pid" || true
  kill -KILL "$pid" 2>/dev/null || true
  while alive "$pid"; do sleep 0.05; done
  # An unreaped postmaster still looks alive to the next one; this one is dead for sure.
  rm -f "$db/data/postmaster.pid" "$db/.s.PGSQL.$db_port" "$db/.s.PGSQL.$db_port.lock"
}

case "${1:-}" in
  start) shift; start "$@" ;;
  stop) stop ;;
  db-kill) db_kill ;;
  db-start) db_start ;;
  *) die "usage: cluster.sh start NODES [kvx-server options...] | stop | db-kill | db-start" ;;
esac
