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
  echo "No display found: starting Morvane under Xvfb, a virtual X server that no screen shows."
  # The display number is known only inside xvfb-run, so the hints are printed from there.
  exec xvfb-run -a sh -c '
    echo "Morvane runs on the virtual display $DISPLAY."
    echo "To look at it: DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY import -window root morvane.png"
    echo "(a picture of the display; run it from another terminal on this machine)."
    echo "To stop it: press Ctrl+C here, or: kill $$"
    exec "$0"' "$prefix/bin/morvane"
fi
exec "$prefix/bin/morvane"
