#!/usr/bin/env bash
# Builds Morvane, installs it under ~/.local/opt/morvane (so the watch list and settings,
# which live beside the program, are kept out of the build folder) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
prefix="${MORVANE_PREFIX:-$HOME/.local/opt/morvane}"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
# Only what is installed: the tests and their helpers are not needed to run the program.
ninja -C build-release morvane mvntool
cmake --install build-release >/dev/null
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Morvane under Xvfb (a virtual X server)."
  exec xvfb-run -a "$prefix/bin/morvane"
fi
exec "$prefix/bin/morvane"
