#!/usr/bin/env bash
# Every test: installs what is missing, builds, starts the private server, runs ctest.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh"
"$ROOT/scripts/server.sh" start
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$RUN_DIR/xdg}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cd "$BUILD_DIR"
ctest --output-on-failure -j2 "$@"
