#!/usr/bin/env bash
# Processor time of a live 12-lead session of the real program: zm540vet records for 60 s from
# ks770sim on a pseudo-terminal (the real serial path), drawing on a real X server (Xvfb).
#
# For each run it prints the processor time the program used from the session's start to its
# stop (as the program measures it, --time-session) as a share of one core, and the same for the
# whole run including start-up and saving; then the median session share over the runs. It also
# checks that every saved recording is an unbroken run of the frames the simulated unit sent.
#
# Usage: scripts/measure-session-cpu.sh [seconds] [runs]
# ZM540_GEOMETRY=WxH+X+Y sets the window (the default is the program's own, 800 x 600).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
runs=${2:-1}
[ -x build/bin/zm540vet ] && [ -x build/bin/ks770sim ] || { echo "build first: cmake --build build"; exit 1; }

work=$(mktemp -d)
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1920x1080x24 >/dev/null 2>&1 &
xvfb=$!
sim=
trap 'kill $xvfb $sim 2>/dev/null; rm -rf "$work"' EXIT
sleep 1

shares=()
for run in $(seq "$runs"); do
  rm -f "$work/sent.log" "$work/r.vecg"
  build/bin/ks770sim --noise --wander --log "$work/sent.log" >"$work/sim.out" &
  sim=$!
  sleep 0.5
  device=$(head -n1 "$work/sim.out")

  DISPLAY=$display /usr/bin/time -f '%U %S %e' -o "$work/time" \
    build/bin/zm540vet --settings "$work/s.ini" ${ZM540_GEOMETRY:+-geometry "$ZM540_GEOMETRY"} \
    --serial-device "$device" --mode 12lead --filter 100Hz --record "$seconds" \
    --save "$work/r.vecg" --time-session >"$work/out" 2>"$work/err" || { cat "$work/err"; exit 1; }
  kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true; sim=

  read -r user sys elapsed <"$work/time"
  share=$(sed -n 's/.*, \([0-9.]*\) % of one core/\1/p' "$work/out")
  shares+=("$share")
  awk -v u="$user" -v s="$sys" -v e="$elapsed" -v r="$run" -v line="$(cat "$work/out")" 'BEGIN {
    printf "run %d: %s; whole run %.2f s over %.1f s: %.2f %%\n", r, line, u+s, e, 100*(u+s)/e }'

  # Lost bytes: the leads I and II of the recording must appear, unbroken, in what was sent.
  build/bin/zm540vet-cli export "$work/r.vecg" -o "$work/raw.csv" --format csv --raw
  python3 scripts/check-recording-run.py "$work/raw.csv" "$work/sent.log"
done
printf '%s\n' "${shares[@]}" | sort -n | awk '{ v[NR] = $1 } END {
  printf "median session share over %d run(s): %.2f %% of one core\n", NR, NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
