#!/usr/bin/env bash
# Passes at scale, in one run on this machine, against servers this script starts as its
# own processes on 127.0.0.1 (the tests' HTTP server and Debian's proftpd), by `mvntool
# check --all` over lists that `mvntool write` makes (an INI beside each list sets no
# internet test). Each figure is of the whole process (/usr/bin/time), the median and range
# over the rounds:
#   http: 100 HTTP elements on 10 servers that each answer 50 ms late; against urlwatch
#         (Debian's package, its 10 workers) over the same 100 addresses, interleaved,
#         with the ratio of the wall times (ours / urlwatch's);
#   silent: the same 100 and 5 elements on a server that accepts and never answers: the
#         wall time, and whether the 100 states are those of the pass without it;
#   ftp: 50 FTP elements on one proftpd: the wall time and the logins the server counted;
#   scale: 1,000 local and 1,000 HTTP elements: CPU time and peak memory per element
#         (beyond those of a list of one element of the kind).
# Usage: bench/pass_scale.sh [build-folder] [rounds]   (Release build, default build-release,
# 5 rounds). The build folder may be another checkout's, to measure it the same way.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
rounds=${2:-5}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
ninja -C "$build" mvntool >/dev/null
mvntool=$(realpath "$build/tools/mvntool/mvntool")

[ -x /usr/sbin/proftpd ] || { echo "/usr/sbin/proftpd is missing (scripts/install-deps.sh)" >&2; exit 1; }
urlwatch=$(command -v urlwatch || true)
[ -n "$urlwatch" ] || echo "urlwatch is not installed (apt-get install urlwatch): no ratio" >&2

# The served folder must be a folder of its own directly under /tmp: proftpd reads it as
# another user.
served=$(mktemp -d)
work=$(mktemp -d)
chmod 0755 "$served"
launchers=()
cleanup() {
  for pid in "${launchers[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$served" "$work"
}
trap cleanup EXIT

# Starts a server through a launcher of the tests whose standard input is a FIFO this
# script holds open (it stops when the script ends), and sets `ports` to what it printed.
start() {
  local name=$1 fd
  shift
  mkfifo "$work/$name.in"
  "$@" <"$work/$name.in" >"$work/$name.out" 2>&1 &
  launchers+=("$!")
  exec {fd}>"$work/$name.in"
  for _ in $(seq 500); do
    grep -q '^PORT\|^FAILED' "$work/$name.out" && break
    sleep 0.02
  done
  grep -q '^PORT' "$work/$name.out" || { echo "$name did not start" >&2; exit 1; }
  ports=($(awk '/^PORT/ {print $2, $3}' "$work/$name.out"))
}

for i in $(seq 0 99); do echo "file $i" >"$served/f$i.txt"; done
chmod 0644 "$served"/*.txt
late=()
for s in $(seq 0 9); do
  start "http$s" python3 tests/support/servers/http_server.py "$served" --delay 0.05
  late+=("${ports[0]}")
done
start quick python3 tests/support/servers/http_server.py "$served"
quick=${ports[0]}
silent=${ports[1]}
mkdir -p "$work/proftpd"
start proftpd python3 tests/support/servers/package_server.py /usr/sbin/proftpd "$served" \
  "$work/proftpd"
ftp=${ports[0]}

# Writes the list NAME.MVN of the addresses given on standard input, one a line, checked in
# absolute time mode against a reference far ahead (never a new version), with a login.
make_list() {
  local name=$1
  python3 -c '
import json, sys
elements = [{"m_strDescription": "e%d" % i, "m_strCopy": line.strip(), "m_nCheckMode": 0,
             "m_timeReference": 2147483647, "m_nWhen": 2, "m_strFtpUser": "user",
             "m_strFtpPassword": "secret"} for i, line in enumerate(sys.stdin)]
json.dump({"elements": elements}, sys.stdout)' >"$work/$name.json"
  "$mvntool" write "$work/$name.json" "$work/$name.MVN"
  printf '[Config]\nInternetProbeHost=\n' >"$work/$name.INI"
}

http_addresses() {
  for i in $(seq 0 99); do echo "http://127.0.0.1:${late[$((i % 10))]}/files/f$i.txt"; done
}
http_addresses | make_list http
{ http_addresses; for i in $(seq 0 4); do echo "http://127.0.0.1:$silent/s$i"; done; } |
  make_list silent
for i in $(seq 0 49); do echo "ftp://127.0.0.1:$ftp/f$i.txt"; done | make_list ftp
for i in $(seq 0 999); do echo "$served/f$((i % 100)).txt"; done | make_list local1000
echo "$served/f0.txt" | make_list local1
for i in $(seq 0 999); do echo "http://127.0.0.1:$quick/files/f$((i % 100)).txt"; done |
  make_list http1000
echo "http://127.0.0.1:$quick/files/f0.txt" | make_list http1

# urlwatch over the same 100 addresses, its cache and configuration in the work folder.
http_addresses | python3 -c '
import sys
print("\n---\n".join("url: %s" % line.strip() for line in sys.stdin))' >"$work/urls.yaml"
urlwatch_run=("$urlwatch" --urls "$work/urls.yaml" --config "$work/urlwatch.yaml"
  --cache "$work/urlwatch.db")
# Its first run makes its configuration and fills its cache.
[ -z "$urlwatch" ] || "${urlwatch_run[@]}" >/dev/null 2>&1

# Runs one command and prints "WALL CPU PEAK_KB": its wall time, the user + system time of
# the process and its children, and its peak resident memory. An exit status other than 0
# (or than the one given with --allow) ends the script.
timed() {
  local allowed=(0) status=0
  if [ "$1" = "--allow" ]; then allowed+=("$2"); shift 2; fi
  /usr/bin/time -o "$work/time" -f '%e %U %S %M' "$@" >"$work/run.log" 2>&1 || status=$?
  [[ " ${allowed[*]} " == *" $status "* ]] ||
    { echo "failed: $* ($(tail -1 "$work/run.log"))" >&2; exit 1; }
  awk 'NF == 4 {printf "%s %.3f %s\n", $1, $2 + $3, $4}' "$work/time"
}
check() { timed "$mvntool" check --all "$work/$1.MVN"; }
# The elements on the silent server fail their checks: mvntool says so with status 3.
check_failing() { timed --allow 3 "$mvntool" check --all "$work/$1.MVN"; }
# The lines "INDEX DESCRIPTION STATE" that the last check printed.
states() { grep -P '^\d+\t' "$work/run.log" | cut -f1-3; }
# How many elements of the last check found what they looked for.
checked() { states | grep -c 'No new version\.$' || true; }

# Prints "median (min-max)" of the numbers on standard input, one a line.
summary() {
  sort -g | awk '{v[NR] = $1}
    END {m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
         printf "%.3f (%.3f-%.3f)", m, v[1], v[NR]}'
}

: >"$work/http.times"
: >"$work/urlwatch.times"
: >"$work/silent.times"
: >"$work/ftp.times"
for round in $(seq "$rounds"); do
  check http >>"$work/http.times"
  states >"$work/http.states"
  [ -z "$urlwatch" ] || timed "${urlwatch_run[@]}" >>"$work/urlwatch.times"
  check_failing silent >>"$work/silent.times"
  states | head -n 100 >"$work/silent100.states"
  check ftp >>"$work/ftp.times"
  ftpChecked=$(checked)
done
httpChecked=$(grep -c 'No new version\.$' "$work/http.states" || true)

echo "http: 100 elements, 10 servers 50 ms late, wall s: $(cut -d' ' -f1 "$work/http.times" | summary)"
echo "http: elements checked: $httpChecked of 100"
if [ -n "$urlwatch" ]; then
  echo "http: urlwatch, wall s: $(cut -d' ' -f1 "$work/urlwatch.times" | summary)"
  paste -d' ' "$work/http.times" "$work/urlwatch.times" | awk '{print $1 / $4}' >"$work/ratio"
  echo "http: ours / urlwatch, wall: $(summary <"$work/ratio")"
fi
echo "silent: 100 + 5 on a silent server, wall s: $(cut -d' ' -f1 "$work/silent.times" | summary)"
if cmp -s "$work/http.states" "$work/silent100.states"; then same=yes; else same=no; fi
echo "silent: the 100 states as without the silent server: $same"
echo "ftp: 50 elements on one proftpd, wall s: $(cut -d' ' -f1 "$work/ftp.times" | summary)"
logins=$(grep -c '"PASS .*" 230 ' "$work/proftpd/logins.log" || true)
echo "ftp: elements checked: $ftpChecked of 50, logins per pass: $((logins / rounds))"

for kind in local http; do
  one=$(check "${kind}1")
  many=$(check "${kind}1000")
  echo "scale: 1,000 $kind elements checked: $(checked) of 1000"
  echo "$one $many" | awk -v kind="$kind" '{
    printf "scale: 1,000 %s elements: wall %.3f s, CPU %.3f ms and %.1f KB a element\n",
      kind, $4, ($5 - $2) * 1000 / 999, ($6 - $3) / 999}'
done
