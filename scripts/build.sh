#!/usr/bin/env bash
# Configures (once) and builds everything into build/.
set -euo pipefail
source "$(dirname "$0")/env.sh"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
ninja -C "$BUILD_DIR" "$@"
