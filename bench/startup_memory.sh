#!/usr/bin/env bash
# Start-up time and memory of the real program on Xvfb: the time from starting the program
# to its main window shown (wall, and the processor time the program had used by then, which
# a busy machine does not inflate), and its resident memory (VmRSS, and the peak VmHWM) a second
# later, with an empty list and lists of the sizes given, or list files given by path.
# Release build.
# Usage: bench/startup_memory.sh [build-folder] [runs] [element counts or list files...]
#        (0 1000 100000 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
runs=${2:-10}
shift $(($# < 2 ? $# : 2))
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(0 1000 100000)
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
ninja -C "$build" morvane mvntool >/dev/null

folder=$(mktemp -d)
xvfb=""
program=""
cleanup() {
  if [ -n "$program" ]; then kill "$program" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
  rm -rf "$folder"
}
trap cleanup EXIT

# A private X server on a free display; -noreset keeps it ready between runs.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$folder/display" \
  >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$folder/display" ] && break
  sleep 0.05
done
export DISPLAY=":$(head -1 "$folder/display")" QT_QPA_PLATFORM=xcb LANG=C TZ=Europe/Paris
# No session bus, and none autolaunched: the program alone is measured.
export HOME="$folder" XDG_RUNTIME_DIR="$folder" DBUS_SESSION_BUS_ADDRESS=disabled:
unset WAYLAND_DISPLAY

# Elements checked only on demand, so that start-up loads and shows the list and checks none.
make_list() {
  /usr/bin/python3 - "$1" "$2" <<'EOF'
import json, sys
count, path = int(sys.argv[1]), sys.argv[2]
elements = [{"m_strDescription": f"Watched file {i:04d}", "m_nCheckMode": i % 4,
             "m_nWhen": 2, "m_nState": i % 4, "m_timeLastAccess": 1700000000 + 60 * i,
             "m_strCopy": f"/srv/files/{i:04d}/report.txt",
             "m_strOriginal": f"/home/user/reports/{i:04d}.txt"} for i in range(count)]
json.dump({"elements": elements}, open(path, "w"))
EOF
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# The processor time of a process so far (user and system), in milliseconds.
cpu_ms() {
  awk -v tick="$(getconf CLK_TCK)" '{ print int(($14 + $15) * 1000 / tick) }' "/proc/$1/stat"
}

# One run: prints "milliseconds-to-window VmRSS-kB VmHWM-kB cpu-milliseconds-to-window".
measure() {
  local start shown
  start=$(now_ms)
  "$folder/run/morvane" >/dev/null 2>&1 &
  program=$!
  until xdotool search --onlyvisible --name '^Morvane$' >/dev/null 2>&1; do
    kill -0 "$program" 2>/dev/null || { echo "morvane ended early" >&2; exit 1; }
    sleep 0.01
  done
  shown=$(now_ms)
  local cpu
  cpu=$(cpu_ms "$program")
  sleep 1
  local rss hwm
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$program/status")
  hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$program/status")
  kill "$program"
  wait "$program" 2>/dev/null || true
  program=""
  echo "$((shown - start)) $rss $hwm $cpu"
}

summary() {
  sort -n -k"$1" | awk -v k="$1" -v unit="$2" -v scale="$3" '
    { v[NR] = $k / scale }
    END {
      median = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "median %.1f %s (min %.1f, max %.1f)", median, unit, v[1], v[NR]
    }'
}

mkdir -p "$folder/run"
cp "$build/src/app/morvane" "$folder/run/"
echo "morvane ($build), $runs runs each, display $DISPLAY"
for count in "${counts[@]}"; do
  rm -f "$folder/run/morvane.MVN"
  if [ -f "$count" ]; then
    cp "$count" "$folder/run/morvane.MVN"
  elif [ "$count" -gt 0 ]; then
    make_list "$count" "$folder/list.json"
    "$build/tools/mvntool/mvntool" write "$folder/list.json" "$folder/run/morvane.MVN"
  fi
  # One unmeasured run warms the file cache.
  measure >/dev/null
  results="$folder/results-$(basename "$count")"
  for _ in $(seq "$runs"); do measure >>"$results"; done
  size=$(stat -c %s "$folder/run/morvane.MVN" 2>/dev/null || echo 0)
  echo "$count ($size bytes on file):"
  echo "  start to window shown: $(summary 1 ms 1 <"$results")"
  echo "  CPU to window shown:   $(summary 4 ms 1 <"$results")"
  echo "  VmRSS after start:     $(summary 2 MiB 1024 <"$results")"
  echo "  VmHWM (peak):          $(summary 3 MiB 1024 <"$results")"
done
