#!/usr/bin/env bash
# Start-up time of zm540vet: from launching the process to the first paint of the ECG view, on
# a real X server (Xvfb). Runs the optimised build in build/ several times and prints each run
# and the median, in milliseconds. Usage: scripts/measure-startup.sh [runs] [file.vecg]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
file=${2:-samples/dog-12lead.vecg}
[ -x build/bin/zm540vet ] || { echo "build first: bash scripts/run.sh (or cmake --build build)"; exit 1; }

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1920x1080x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
settings=$(mktemp --suffix=.ini)

times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%3N)
  painted=$(DISPLAY=$display build/bin/zm540vet --settings "$settings" --time-first-paint "$file" 2>/dev/null |
            awk '/first-paint-ms-since-epoch/ {print $2}')
  times+=($((painted - start)))
done
rm -f "$settings"
echo "start-up to first paint (ms): ${times[*]}"
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print "median:", a[int((NR+1)/2)], "ms"}'
