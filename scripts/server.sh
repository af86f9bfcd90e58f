#!/usr/bin/env bash
# The project's private MariaDB server: loopback only, its own port and socket, data in .run/.
# Usage: scripts/server.sh start|stop|status
set -euo pipefail
source "$(dirname "$0")/env.sh"

ping_server() {
  mariadb-admin --no-defaults --socket="$DB_SOCKET" -uroot ping >/dev/null 2>&1
}

case "${1:-start}" in
start)
  if ping_server; then exit 0; fi
  mkdir -p "$DB_DIR"
  if [ ! -d "$DB_DIR/data/mysql" ]; then
    rm -rf "$DB_DIR/data"
    mariadb-install-db --no-defaults --datadir="$DB_DIR/data" --user="$(id -un)" \
      --auth-root-authentication-method=normal --skip-test-db --force >"$DB_DIR/install.log" 2>&1
  fi
  mariadbd --no-defaults --datadir="$DB_DIR/data" --socket="$DB_SOCKET" --port="$DB_PORT" \
    --bind-address=127.0.0.1 --user="$(id -un)" --pid-file="$DB_DIR/mariadbd.pid" \
    --log-error="$DB_DIR/error.log" --innodb-log-file-size=8M --innodb-buffer-pool-size=128M \
    --innodb-flush-log-at-trx-commit=2 --max-connections=200 --character-set-server=cp1250 >/dev/null 2>&1 &
  for _ in $(seq 1 300); do
    if ping_server; then exit 0; fi
    sleep 0.1
  done
  echo "The private MariaDB server did not start; see $DB_DIR/error.log" >&2
  tail -20 "$DB_DIR/error.log" >&2 || true
  exit 1
  ;;
stop)
  if ping_server; then
    mariadb-admin --no-defaults --socket="$DB_SOCKET" -uroot shutdown
  fi
  if [ -f "$DB_DIR/mariadbd.pid" ]; then
    pid=$(cat "$DB_DIR/mariadbd.pid" 2>/dev/null || true)
    for _ in $(seq 1 100); do
      [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  fi
  ;;
status)
  if ping_server; then echo "running on 127.0.0.1:$DB_PORT"; else echo "stopped"; exit 1; fi
  ;;
*)
  echo "usage: $0 start|stop|status" >&2
  exit 2
  ;;
esac
