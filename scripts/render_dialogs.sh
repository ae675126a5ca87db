#!/usr/bin/env bash
# Renders every dialog of Morvane in English and in French to PNG files under a real X
# server (Xvfb), for the README and for review.
# Usage: scripts/render_dialogs.sh [build-folder] [output-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-render}
output=${2:-docs/screenshots}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_BENCH=OFF >/dev/null
fi
ninja -C "$build" morvane_render_dialogs
mkdir -p "$output"
# Times show as in the sample's time zone; the window system is a real X server.
TZ=Europe/Paris QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/scripts/morvane_render_dialogs" "$output"
