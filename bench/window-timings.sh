#!/usr/bin/env bash
# Wall-clock timing of the window's start on a five-minute stereo 16-bit
# WAVE file: from the start of `zubrik` to the window drawn with its slices
# (the picture-on-demand mode lays out, paints and writes the window, then
# quits), against the same start on the four-second demo loop in the same
# run. Medians of hyperfine's runs; CPU time beside them.
#
# usage: bench/window-timings.sh [BUILD_DIR]   (default: build)
#
# Goal: five minutes opened and drawn in under 1 s.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
zubrik=$build/zubrik
if [ ! -x "$zubrik" ]; then
  cmake -G Ninja -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUBRIK_TESTS=OFF >/dev/null
  ninja -C "$build" zubrik >/dev/null
fi
for tool in hyperfine sox python3; do
  command -v $tool >/dev/null || { echo "window-timings: $tool is needed" >&2; exit 1; }
done

scratch=${TMPDIR:-/tmp}
[ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
work=$(mktemp -d "$scratch/zubrik-window-timings.XXXXXX")
trap 'rm -rf "$work"' EXIT
loop=$here/examples/demo-loop.wav
big=$work/five-minutes.wav
sox "$loop" "$big" repeat 74

export QT_QPA_PLATFORM=offscreen
hyperfine --warmup 2 --runs 10 --style basic --export-json "$work/times.json" \
  -n "demo loop (baseline)" "'$zubrik' --screenshot '$work/demo.png' --size 1920x1080 '$loop'" \
  -n "five minutes" "'$zubrik' --screenshot '$work/long.png' --size 1920x1080 '$big'" \
  >/dev/null 2>&1

python3 - "$work/times.json" <<'PY'
import json, sys
goals = {"five minutes": 1.0}
results = json.load(open(sys.argv[1]))["results"]
baseline = results[0]["median"]
print(f"{'start to drawn window':<24}{'median s':>10}{'x base':>8}{'cpu s':>8}{'goal s':>8}")
for r in results:
    name, median = r["command"], r["median"]
    cpu = r["user"] + r["system"]
    goal = goals.get(name)
    mark = "" if goal is None else ("  ok" if median < goal else "  SLOW")
    print(f"{name:<24}{median:>10.3f}{median / baseline:>8.2f}{cpu:>8.3f}{(goal or 0):>8.2f}{mark}")
PY
