#!/usr/bin/env bash
# Takes the README's picture of the main window: the real program under Xvfb, with a list
# of local files whose checks at launch give each state. Nothing leaves this machine.
# Usage: scripts/screenshot_main_window.sh [build-folder] [output-file] [US|FR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-render}
output=$(realpath -m "${2:-docs/screenshots/main_window.png}")
language=${3:-US}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_BENCH=OFF >/dev/null
fi
ninja -C "$build" morvane mvntool

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$build/src/app/morvane" "$folder/"
echo "draft" >"$folder/report.odt"
echo "notes" >"$folder/release-notes.txt"
# The internet test goes to a closed port here, so the web element finds no connection.
printf '[Config]\nLanguage=%s\nInternetProbeHost=127.0.0.1:9\n' "$language" >"$folder/morvane.INI"
# Existence, at launch, no warning: found at once. Absolute time in 2030: no new version.
# A web copy: no connection. Only on demand, or at a time of day: not checked yet.
cat >"$folder/list.json" <<EOF
{"elements": [
 {"m_strDescription": "Project report", "m_nCheckMode": 2, "m_nWhen": 1, "m_bSignal": 0,
  "m_nAction": 2, "m_strCopy": "$folder/report.odt"},
 {"m_strDescription": "Release notes", "m_nCheckMode": 0, "m_nWhen": 1,
  "m_timeReference": 1893456000, "m_strCopy": "$folder/release-notes.txt"},
 {"m_strDescription": "Team calendar (web)", "m_nCheckMode": 1, "m_nWhen": 1,
  "m_strCopy": "http://127.0.0.1:9/calendar.ics", "m_strOriginal": "$folder/calendar.ics"},
 {"m_strDescription": "nightly build", "m_nCheckMode": 1, "m_nWhen": 2,
  "m_strCopy": "ftp://127.0.0.1/pub/nightly.tar.gz", "m_strOriginal": "$folder/nightly.tar.gz"},
 {"m_strDescription": "Archive index", "m_nCheckMode": 3, "m_nWhen": 0,
  "m_strCopy": "$folder/archive/index.html"}
]}
EOF
"$build/tools/mvntool/mvntool" write "$folder/list.json" "$folder/morvane.MVN"

# The window appears once the checks at launch are done.
TZ=Europe/Paris LANG=C QT_QPA_PLATFORM=xcb HOME="$folder" XDG_RUNTIME_DIR="$folder" \
  DBUS_SESSION_BUS_ADDRESS=disabled: xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1/morvane" & program=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name "^Morvane\$" | head -1)
    sleep 0.5
    import -window "$window" "$2"
    kill "$program"; wait "$program" || true' _ "$folder" "$output"
echo "wrote $output"
