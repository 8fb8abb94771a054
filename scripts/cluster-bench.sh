#!/usr/bin/env bash
# Presence fan-out with the workload of kvx-presence-bench (one account changing its status
# over and over, 20 watchers each) at 10,000 clients: one node on SQLite, one node on
# PostgreSQL, three nodes with the clients spread over them, and three nodes behind HAProxy
# (as many clients as its file limit allows); then one node's memory per idle connection at
# the most connections the file limit allows (100,000 where it is high enough). Each cluster
# runs in a fresh scratch folder under build/. Figures are printed, never judged.
#   scripts/cluster-bench.sh [clients]          default 10000
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
clients="${1:-10000}"
scripts/build.sh bench >/dev/null
bench=build/bench/server/bench/kvx-presence-bench
export KVX_SERVER="$root/build/bench/server/kvx-server" KVX_CLUSTER_DB_PORT=26450
ulimit -n "$(ulimit -Hn)"
limit=$(ulimit -n)

# One fresh cluster of $1 nodes; the benchmark's clients go to $2 (a list of addresses).
cluster_run() {
  local nodes=$1 connect=$2 count=$3 label=$4
  export KVX_CLUSTER_DIR="$root/build/cluster-bench"
  scripts/cluster.sh stop
  rm -rf "$KVX_CLUSTER_DIR"
  scripts/cluster.sh start "$nodes" >/dev/null
  "$bench" --db "postgresql://kvx@127.0.0.1:$KVX_CLUSTER_DB_PORT/kvx" --connect "$connect" 20 "$count" "$label" |
    grep -v '^TABLE|' || true
  scripts/cluster.sh stop
}

"$bench" 20 "$clients" | grep -v '^TABLE|'
cluster_run 1 127.0.0.11 "$clients" "1 node on PostgreSQL"
cluster_run 3 127.0.0.11,127.0.0.12,127.0.0.13 "$clients" "3 nodes"
# HAProxy holds two descriptors per client.
front=$(( clients < (limit - 200) / 2 ? clients : (limit - 200) / 2 ))
cluster_run 3 127.0.0.1 "$front" "3 nodes behind HAProxy"
idle=$(( limit - 1000 < 100000 ? limit - 1000 : 100000 ))
"$bench" --idle "$idle" | grep -v '^TABLE|'
