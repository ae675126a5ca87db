#!/usr/bin/env bash
# Builds Morvane and runs every test. Usage: scripts/test.sh [build-folder] [extra cmake args]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${1:-build}
shift || true
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
ninja -C "$build"
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
