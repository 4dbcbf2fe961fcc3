#!/usr/bin/env bash
# The measured 60 s run: a JACK dummy-driver server at 256 frames with
# realtime scheduling (as root; a server without it misses its own timer on a
# busy machine whatever its clients do), first a
# baseline with the device open and nothing playing (the machine's own
# xruns), then the demo loop playing in tempo mode with all effects, alone
# and while a second thread hammers settings changes. Build first:
#   cmake -S . -B build-bench -DZUBRIK_BENCH=ON ... && cmake --build build-bench --target play-under-load
#   bench/jack-xrun-run.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
seconds=${2:-60}
server=zubrik-xrun-$$
trap 'scripts/jack-server stop "$server"' EXIT
scripts/jack-server start "$server" 256 realtime
export JACK_DEFAULT_SERVER=$server
"$build/bench/play-under-load" idle "$seconds"
"$build/bench/play-under-load" calm "$seconds"
"$build/bench/play-under-load" play "$seconds"
