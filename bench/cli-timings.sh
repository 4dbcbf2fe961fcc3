#!/usr/bin/env bash
# Wall-clock timings of zubrik-cli on a five-minute stereo 16-bit WAVE file,
# start-up and file reading included, against sox reading the same file in
# the same run. Medians of hyperfine's runs.
#
# usage: bench/cli-timings.sh [BUILD_DIR]   (default: build, the tree that
#        `make build` makes; configured like it and zubrik-cli built there
#        when missing)
#
# Goals: slice < 0.2 s; convert wav -> zx2 and zx2 -> wav < 0.35 s each;
# render of five minutes < 0.4 s.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
cli=$build/zubrik-cli
if [ ! -x "$cli" ]; then
  cmake -G Ninja -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUBRIK_TESTS=OFF >/dev/null
  ninja -C "$build" zubrik-cli >/dev/null
fi
for tool in hyperfine sox python3; do
  command -v $tool >/dev/null || { echo "cli-timings: $tool is needed" >&2; exit 1; }
done

# Files live in memory (/dev/shm) where it exists, so that the figures time
# the program rather than the disk; TMPDIR chooses another place.
scratch=${TMPDIR:-/tmp}
[ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
work=$(mktemp -d "$scratch/zubrik-cli-timings.XXXXXX")
trap 'rm -rf "$work"' EXIT
loop=$here/examples/demo-loop.wav
big=$work/five-minutes.wav
# The four-second demo loop (two bars at 120 BPM) 75 times: exactly five
# minutes at 44.1 kHz, the longest sound the program opens.
sox "$loop" "$big" repeat 74
"$cli" convert "$big" -o "$work/five-minutes.zx2" --bars 150 --quiet

hyperfine --warmup 2 --runs 10 --style basic --export-json "$work/times.json" \
  -n "sox read (baseline)" "sox '$big' -n" \
  -n "slice" "'$cli' slice '$big' --quiet" \
  -n "convert wav->zx2" "'$cli' convert '$big' -o '$work/out.zx2' --bars 150 --quiet" \
  -n "convert zx2->wav" "'$cli' convert '$work/five-minutes.zx2' -o '$work/out.wav' --quiet" \
  -n "render 5 min" "'$cli' render '$loop' -o '$work/render.wav' --bars 2 --sensitivity 50 --seconds 300 --quiet" \
  >/dev/null

python3 - "$work/times.json" <<'EOF'
import json, sys
goals = {"slice": 0.2, "convert wav->zx2": 0.35, "convert zx2->wav": 0.35, "render 5 min": 0.4}
results = json.load(open(sys.argv[1]))["results"]
baseline = results[0]["median"]
# CPU time (user + system, mean) is printed beside the wall-clock median: on
# a machine shared with other work it shows what the job itself costs.
print(f"{'job':<22}{'median s':>10}{'x sox':>8}{'cpu s':>8}{'goal s':>8}")
for r in results:
    name, median = r["command"], r["median"]
    cpu = r["user"] + r["system"]
    goal = goals.get(name)
    mark = "" if goal is None else ("  ok" if median < goal else "  SLOW")
    print(f"{name:<22}{median:>10.3f}{median / baseline:>8.2f}{cpu:>8.3f}{(goal or 0):>8.2f}{mark}")
EOF
