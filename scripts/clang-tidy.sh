#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every C++ source of the project and
# fails on any finding. It reads the compile commands of a build folder, which it builds
# first so that what Qt's moc generates exists. Usage: scripts/clang-tidy.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${1:-build}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja --quiet -C "$build"
root=$(pwd)
build=$(cd "$build" && pwd)
# Every source the build compiles from the tree, and the headers they reach in the tree or
# through the layers' include roots in the build folder; not what moc and rcc generate there.
mapfile -t sources < <(python3 -c '
import json, sys
root, build = sys.argv[1] + "/", sys.argv[2] + "/"
for entry in json.load(open(build + "compile_commands.json")):
    if entry["file"].startswith(root) and not entry["file"].startswith(build):
        print(entry["file"])' "$root" "$build" | sort -u)
headers="^($root/(src|tools|tests|bench|fuzz|scripts|resources)|$build/include)/"
log="$build/clang-tidy.log"
printf '%s\n' "${sources[@]}" \
  | xargs -P "$(nproc)" -n 1 clang-tidy --quiet -p "$build" --header-filter="$headers" \
    --extra-arg=-Wno-error \
    >"$log" 2>&1 && status=0 || status=$?
if [ "$status" -ne 0 ]; then
  grep -E -A 3 '(warning|error): ' "$log" >&2 || cat "$log" >&2
  echo "clang-tidy: findings above" >&2
  exit 1
fi
echo "clang-tidy: ${#sources[@]} sources, no finding"
