# Shared settings of the project's scripts (sourced, not run).
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUN_DIR="$ROOT/.run"
DB_DIR="$RUN_DIR/mariadb"
DB_PORT="${PELMIXI_DB_PORT:-3407}"
DB_SOCKET="$DB_DIR/mysqld.sock"
BUILD_DIR="${PELMIXI_BUILD_DIR:-$ROOT/build}"
export PELMIXI_DB_HOST=127.0.0.1 PELMIXI_DB_PORT="$DB_PORT"
