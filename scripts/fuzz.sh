#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each for a bounded
# time on its seed corpus. Usage: scripts/fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVANE_FUZZ=ON -DMORVANE_GUI=OFF >/dev/null
ninja -C build-fuzz
shopt -s nullglob
for target in build-fuzz/fuzz/*Fuzzer; do
  name=$(basename "$target")
  seeds="fuzz/corpus/$(echo "${name%Fuzzer}" | tr '[:upper:]' '[:lower:]')"
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=1024 -print_final_stats=1 \
    "$work" 2>&1 | tail -n 12
  rm -rf "$work"
done
