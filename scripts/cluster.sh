#!/usr/bin/env bash
# A three-node MariaDB Galera cluster on 127.0.0.1 for development and tests; data in .run/cluster/.
# Usage: scripts/cluster.sh start|stop|status|wipe
#        scripts/cluster.sh start-node N | stop-node N | kill-node N | pid N
# Ports: SQL $PELMIXI_CLUSTER_PORT+0..2 (default 3431..3433); group communication
# $PELMIXI_CLUSTER_GROUP_PORT+0..2, incremental transfer +3..5, full transfer (rsync) +6..8
# (default 4571..4579).
#
# Joining nodes receive the data by rsync state transfer. Its rsync daemon drops root rights to
# "nobody", which may not write into root's folders; run as root, the nodes therefore run as the
# server package's unprivileged "mysql" user (override with PELMIXI_CLUSTER_USER) and own their
# data folders, so the daemon, started by that user, keeps its rights. Run as another user, the
# nodes simply run as that user.
set -euo pipefail
source "$(dirname "$0")/env.sh"

CLUSTER_DIR="$RUN_DIR/cluster"
SQL_BASE="${PELMIXI_CLUSTER_PORT:-3431}"
GROUP_BASE="${PELMIXI_CLUSTER_GROUP_PORT:-4571}"
PROVIDER="${PELMIXI_GALERA_PROVIDER:-/usr/lib/galera/libgalera_smm.so}"
NODES=(1 2 3)
if [ "$(id -u)" -eq 0 ]; then
  RUN_USER="${PELMIXI_CLUSTER_USER:-mysql}"
else
  RUN_USER="$(id -un)"
fi

node_dir() { echo "$CLUSTER_DIR/n$1"; }
sql_port() { echo $((SQL_BASE + $1 - 1)); }
group_port() { echo $((GROUP_BASE + $1 - 1)); }
ist_port() { echo $((GROUP_BASE + $1 + 2)); }
sst_port() { echo $((GROUP_BASE + $1 + 5)); }
socket_of() { echo "$(node_dir "$1")/mysqld.sock"; }

node_sql() { # node, statement → value (tab separated, no header)
  mariadb --no-defaults --protocol=TCP -h127.0.0.1 -P"$(sql_port "$1")" -uroot -N -B \
    --connect-timeout=2 -e "$2" 2>/dev/null
}
node_ping() {
  mariadb-admin --no-defaults --protocol=TCP -h127.0.0.1 -P"$(sql_port "$1")" -uroot \
    --connect-timeout=2 ping >/dev/null 2>&1
}
node_state() { node_sql "$1" "SHOW GLOBAL STATUS LIKE 'wsrep_local_state_comment'" | cut -f2; }
node_pid() {
  local f
  # Written at launch: the server writes its own pid file only once a state transfer is done.
  f="$(node_dir "$1")/launch.pid"
  [ -s "$f" ] || return 1
  local pid
  pid=$(cat "$f")
  kill -0 "$pid" 2>/dev/null || return 1
  echo "$pid"
}
node_running() { node_pid "$1" >/dev/null; }

grastate_value() { # node, key
  local f
  f="$(node_dir "$1")/data/grastate.dat"
  [ -f "$f" ] || return 0
  sed -n "s/^$2:[[:space:]]*//p" "$f" | head -1
}

check_access() {
  # Every folder above the data must be passable for the user that runs the nodes.
  [ "$RUN_USER" = "$(id -un)" ] && return 0
  id "$RUN_USER" >/dev/null 2>&1 || {
    echo "cluster.sh: user '$RUN_USER' does not exist (install mariadb-server or set PELMIXI_CLUSTER_USER)" >&2
    exit 1
  }
  mkdir -p "$CLUSTER_DIR"
  if ! runuser -u "$RUN_USER" -- test -x "$CLUSTER_DIR"; then
    echo "cluster.sh: user '$RUN_USER' cannot reach $CLUSTER_DIR; give the folders above it o+x" >&2
    exit 1
  fi
}

prepare_dir() {
  local n=$1 d
  d="$(node_dir "$n")"
  mkdir -p "$d/data" "$d/tmp"
  chown -R "$RUN_USER": "$d"
  chmod 0750 "$d"
}

init_node() { # a fresh system schema; only the first node of a new cluster needs one
  local n=$1 d
  d="$(node_dir "$n")"
  mariadb-install-db --no-defaults --datadir="$d/data" --user="$RUN_USER" \
    --auth-root-authentication-method=normal --skip-test-db --force >"$d/install.log" 2>&1
}

cluster_address() {
  local a="" n
  for n in "${NODES[@]}"; do a+="${a:+,}127.0.0.1:$(group_port "$n")"; done
  echo "gcomm://$a"
}

launch_node() { # node, extra options…
  local n=$1 d
  shift
  d="$(node_dir "$n")"
  rm -f "$d/mariadbd.pid" "$d/mysqld.sock"
  mariadbd --no-defaults --datadir="$d/data" --tmpdir="$d/tmp" --socket="$d/mysqld.sock" \
    --port="$(sql_port "$n")" --bind-address=127.0.0.1 --user="$RUN_USER" \
    --pid-file="$d/mariadbd.pid" --log-error="$d/error.log" \
    --innodb-log-file-size=8M --innodb-buffer-pool-size=128M --innodb-flush-log-at-trx-commit=2 \
    --max-connections=200 --character-set-server=cp1250 \
    --binlog-format=ROW --innodb-autoinc-lock-mode=2 --default-storage-engine=InnoDB \
    --wsrep-on=ON --wsrep-provider="$PROVIDER" --wsrep-cluster-name=pelmixi \
    --wsrep-cluster-address="$(cluster_address)" --wsrep-node-name="node$n" \
    --wsrep-node-address="127.0.0.1:$(group_port "$n")" \
    --wsrep-node-incoming-address="127.0.0.1:$(sql_port "$n")" \
    --wsrep-sst-method=rsync --wsrep-sst-receive-address="127.0.0.1:$(sst_port "$n")" \
    --wsrep-provider-options="gmcast.listen_addr=tcp://127.0.0.1:$(group_port "$n");ist.recv_addr=127.0.0.1:$(ist_port "$n");gcache.size=64M;evs.suspect_timeout=PT3S;evs.inactive_timeout=PT6S;evs.install_timeout=PT6S" \
    "$@" >>"$d/stdout.log" 2>&1 &
  echo $! >"$d/launch.pid"
}

wait_synced() { # node, seconds
  local n=$1 limit=$2 i state
  for ((i = 0; i < limit * 5; i++)); do
    if ! node_running "$n"; then
      echo "cluster.sh: node $n ended while starting; see $(node_dir "$n")/error.log" >&2
      tail -25 "$(node_dir "$n")/error.log" >&2 || true
      return 1
    fi
    state="$(node_state "$n" || true)"
    [ "$state" = "Synced" ] && return 0
    sleep 0.2
  done
  echo "cluster.sh: node $n is not synced after ${limit}s (state '${state:-none}'); see $(node_dir "$n")/error.log" >&2
  tail -25 "$(node_dir "$n")/error.log" >&2 || true
  return 1
}

recovered_seqno() { # the last committed position of a node that was not stopped cleanly
  local n=$1 d log
  d="$(node_dir "$n")"
  log="$d/recover.log"
  : >"$log"
  chown "$RUN_USER": "$log"
  mariadbd --no-defaults --datadir="$d/data" --tmpdir="$d/tmp" --user="$RUN_USER" \
    --innodb-log-file-size=8M --log-error="$log" --wsrep-on=ON --wsrep-provider="$PROVIDER" \
    --wsrep-cluster-address=gcomm:// --binlog-format=ROW --skip-networking --wsrep-recover >/dev/null 2>&1 || true
  sed -n 's/.*Recovered position: [0-9a-f-]*:\([-0-9]*\).*/\1/p' "$log" | tail -1
}

bootstrap_candidate() {
  # The node that stopped last (safe_to_bootstrap: 1); else the one with the highest position.
  local n best="" best_seq=-2 seq
  for n in "${NODES[@]}"; do
    [ -f "$(node_dir "$n")/data/grastate.dat" ] || continue
    if [ "$(grastate_value "$n" safe_to_bootstrap)" = "1" ]; then
      echo "$n"
      return
    fi
  done
  for n in "${NODES[@]}"; do
    [ -d "$(node_dir "$n")/data/mysql" ] || continue
    seq="$(grastate_value "$n" seqno)"
    if [ -z "$seq" ] || [ "$seq" = "-1" ]; then seq="$(recovered_seqno "$n")"; fi
    [ -z "$seq" ] && seq=-1
    if [ "$seq" -gt "$best_seq" ]; then
      best=$n
      best_seq=$seq
    fi
  done
  echo "$best"
}

start_node() { # joins a running cluster
  local n=$1
  node_running "$n" && return 0
  prepare_dir "$n"
  launch_node "$n"
  # A full transfer of the small test data takes a few seconds.
  wait_synced "$n" 120
}

start_cluster() {
  check_access
  local n any=""
  for n in "${NODES[@]}"; do
    if node_running "$n"; then any=$n; fi
  done
  if [ -z "$any" ]; then
    local first
    first="$(bootstrap_candidate)"
    if [ -z "$first" ] && [ ! -d "$(node_dir 1)/data/mysql" ]; then
      first=1
      rm -rf "$(node_dir 1)"
      prepare_dir 1
      init_node 1
    fi
    first="${first:-1}"
    prepare_dir "$first"
    sed -i 's/^safe_to_bootstrap:.*/safe_to_bootstrap: 1/' "$(node_dir "$first")/data/grastate.dat" 2>/dev/null || true
    launch_node "$first" --wsrep-new-cluster
    wait_synced "$first" 60
  fi
  for n in "${NODES[@]}"; do
    start_node "$n"
  done
}

stop_node() {
  local n=$1 pid i
  pid="$(node_pid "$n")" || return 0
  mariadb-admin --no-defaults --socket="$(socket_of "$n")" -uroot shutdown >/dev/null 2>&1 ||
    kill -TERM "$pid" 2>/dev/null || true
  for ((i = 0; i < 600; i++)); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  echo "cluster.sh: node $n (pid $pid) did not stop within 60 s" >&2
  return 1
}

case "${1:-start}" in
start) start_cluster ;;
stop)
  # The last node to stop is marked safe to bootstrap the next start.
  for n in 3 2 1; do stop_node "$n"; done
  ;;
status)
  rc=0
  for n in "${NODES[@]}"; do
    if node_running "$n"; then
      size="$(node_sql "$n" "SHOW GLOBAL STATUS LIKE 'wsrep_cluster_size'" | cut -f2)"
      echo "node $n: 127.0.0.1:$(sql_port "$n") pid $(node_pid "$n") $(node_state "$n") cluster size ${size:-?}"
    else
      echo "node $n: stopped"
      rc=1
    fi
  done
  exit $rc
  ;;
start-node)
  check_access
  start_node "${2:?node number}"
  ;;
stop-node) stop_node "${2:?node number}" ;;
kill-node)
  pid="$(node_pid "${2:?node number}")" && kill -KILL "$pid"
  ;;
pid) node_pid "${2:?node number}" ;;
wipe)
  for n in 3 2 1; do stop_node "$n"; done
  rm -rf "$CLUSTER_DIR"
  ;;
*)
  echo "usage: $0 start|stop|status|wipe|start-node N|stop-node N|kill-node N|pid N" >&2
  exit 2
  ;;
esac
