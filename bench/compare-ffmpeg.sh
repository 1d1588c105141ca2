#!/usr/bin/env bash
# Compares the renderer with FFmpeg composing the same layers as still
# pictures: every object of the reference page, written by
# `tavrel-tool layers` at one moment of play, is laid onto a transparent
# canvas by a chain of overlay filters and converted to yuva422p, frame after
# frame. Both are timed in the same run, on the same machine load.
#
# Usage: bench/compare-ffmpeg.sh [--mode 1080p50] [--seconds 5] [--device cpu|gl|auto]
#                                [--frames 500] [--build build/release]
# FFmpeg is installed with apt-get when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=1080p50
seconds=5
device=cpu
frames=500
build=build/release
while [ $# -gt 0 ]; do
  case "$1" in
    --mode) mode="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --device) device="$2"; shift 2 ;;
    --frames) frames="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    *) echo "usage: $0 [--mode NAME] [--seconds S] [--device cpu|gl|auto] [--frames N] [--build DIR]" >&2; exit 2 ;;
  esac
done

if ! command -v ffmpeg > /dev/null; then
  sudo=(); [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends ffmpeg
fi
tool="$build/src/tavrel-tool"
if [ ! -x "$tool" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
  cmake --build "$build" --target tavrel-tool
fi
export QT_QPA_PLATFORM=offscreen

work="$build/compare-ffmpeg"
rm -rf "$work"
mkdir -p "$work"
"$tool" demo --out "$work/page" --reference --mode "$mode" > /dev/null
"$tool" layers "$work/page/reference.tavrel" --mode "$mode" --out "$work/layers" --device cpu > /dev/null

# The filter graph: transparent canvas, each layer looped in memory (decoded
# once) and laid on at its position, then the output conversion.
python3 - "$work/layers/layers.json" "$work" <<'PY'
import json, sys
layers = json.load(open(sys.argv[1]))
folder = sys.argv[1].rsplit('/', 1)[0]
inputs, graph, last = [], [], "0:v"
for i, layer in enumerate(layers["layers"], start=1):
    inputs.append(f"{folder}/{layer['file']}")
    graph.append(f"[{i}:v]format=rgba,loop=loop=-1:size=1:start=0[l{i}]")
    graph.append(f"[{last}][l{i}]overlay=x={layer['x']}:y={layer['y']}:format=rgb:repeatlast=1[c{i}]")
    last = f"c{i}"
graph.append(f"[{last}]format=yuva422p[out]")
open(f"{sys.argv[2]}/inputs.txt", "w").write("\n".join(inputs) + ("\n" if inputs else ""))
open(f"{sys.argv[2]}/graph.txt", "w").write(";".join(graph))

PY
layer_count=$(wc -l < "$work/inputs.txt")
size=$(python3 -c "import json,sys; j=json.load(open(sys.argv[1])); print(f\"{j['width']}x{j['height']}\")" "$work/layers/layers.json")
rate=$(python3 -c "print({'50':50,'60':60,'59':60}.get('$mode'[-2:], 50))")
if [ "$layer_count" -eq 0 ]; then
  echo "tavrel-tool layers found nothing visible on the reference page; nothing to compare" >&2
  exit 1
fi

ffmpeg_seconds() {  # frames -> wall seconds of one FFmpeg run
  local n="$1" args=() start end
  while IFS= read -r f; do args+=(-i "$f"); done < "$work/inputs.txt"
  start=$(date +%s.%N)
  ffmpeg -nostdin -loglevel error -f lavfi -i "color=c=black@0.0:s=$size:r=$rate,format=rgba" "${args[@]}" \
    -filter_complex "$(cat "$work/graph.txt")" -map "[out]" -frames:v "$n" -f null -
  end=$(date +%s.%N)
  python3 -c "print($end - $start)"
}

echo "machine load: $(uptime | sed 's/.*load average/load average/')"
echo "reference page: $layer_count visible layers, mode $mode"
echo
echo "== tavrel-tool bench ($device) =="
"$tool" bench "$work/page/reference.tavrel" --mode "$mode" --seconds "$seconds" --device "$device" | tee "$work/bench.txt"
echo
echo "== FFmpeg: $layer_count overlays onto a transparent $size canvas, then yuva422p =="
# Two runs, N and 2N frames: the difference is N frames without start-up
# (opening and decoding the pictures, building the graph).
short=$(ffmpeg_seconds "$frames")
long=$(ffmpeg_seconds $((frames * 2)))
echo "machine load: $(uptime | sed 's/.*load average/load average/')"

python3 - "$work/bench.txt" "$short" "$long" "$frames" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
short, long, frames = float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4])
ffmpeg_ms = max(long - short, 1e-9) * 1000 / frames
means = re.findall(r"mean frame time: ([0-9.]+) ms", text)
print(f"FFmpeg per frame: {ffmpeg_ms:.3f} ms ({frames} frames in {long - short:.2f} s, start-up excluded)")
if not means:
    print("tavrel: no device measured")
    sys.exit(1)
tavrel_ms = float(means[0])
print(f"tavrel per frame: {tavrel_ms:.3f} ms (mean of tavrel-tool bench)")
print(f"ratio FFmpeg / tavrel: {ffmpeg_ms / tavrel_ms:.2f}")
PY
