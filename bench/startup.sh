#!/usr/bin/env bash
# Start-up time of tavrel on the demo page: from the moment the program is
# started to the first paint of its main window, under Xvfb with a window
# manager (openbox), each run on fresh settings.
#   bench/startup.sh [RUNS]        (default 10)
# Prints each run and the median and largest; needs build/release.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
program=build/release/src/tavrel
[ -x "$program" ] || { echo "build first: cmake --build build/release --target tavrel"; exit 1; }
for tool in Xvfb openbox; do
  command -v "$tool" > /dev/null || { echo "needs $tool (apt-get install xvfb openbox)"; exit 1; }
done

display=:$(( 200 + RANDOM % 100 ))
home=$(mktemp -d)
cleanup() { kill "${wm:-}" "${server:-}" 2> /dev/null || true; rm -rf "$home"; }
trap cleanup EXIT
Xvfb "$display" -screen 0 1920x1080x24 +extension GLX -nolisten tcp > /dev/null 2>&1 &
server=$!
export DISPLAY=$display
sleep 1
openbox > /dev/null 2>&1 &
wm=$!
sleep 1

times=()
for i in $(seq "$runs"); do
  rm -rf "$home/run"; mkdir -p "$home/run/config" "$home/run/runtime"; chmod 700 "$home/run/runtime"
  start=$(date +%s.%N)
  painted=$(HOME=$home/run XDG_CONFIG_HOME=$home/run/config XDG_RUNTIME_DIR=$home/run/runtime \
            TAVREL_REPORT_FIRST_PAINT=1 TAVREL_HOLD_MS=1500 "$program" demo/demo.tavrel \
            | sed -n 's/^first paint at //p' | head -1)
  [ -n "$painted" ] || { echo "run $i: no paint reported"; exit 1; }
  ms=$(awk -v a="$painted" -v b="$start" 'BEGIN { printf "%.1f", (a - b) * 1000 }')
  printf 'run %2d: %6.0f ms\n' "$i" "$ms"
  times+=("$ms")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END {
  m = (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2
  printf "first paint after start: median %.0f ms, largest %.0f ms (%d runs)\n", m, a[NR], NR }'
