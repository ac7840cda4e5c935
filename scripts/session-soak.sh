#!/usr/bin/env bash
# A long live 12-lead session of the real program: zm540vet records for MINUTES minutes from
# ks770sim on a pseudo-terminal (the real serial path), drawing on a real X server (Xvfb).
#
# Every minute it prints the processor time (user + system, from /proc/<pid>/stat) the program
# used in that minute, and at the end the ratio of the busiest minute to the quietest, with and
# without the first minute (start-up and the link check). A session that stays steady keeps the
# ratio near 1. Then it checks that the saved recording is an unbroken run of the frames the
# simulated unit sent, so that no byte was lost at the end of the session.
#
# Usage: scripts/session-soak.sh [MINUTES]   (default 10)
# ZM540_GEOMETRY=WxH+X+Y sets the window (the default is the program's own, 800 x 600).
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
[[ "$minutes" =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [MINUTES]" >&2; exit 2; }
[ -x build/bin/zm540vet ] && [ -x build/bin/ks770sim ] && [ -x build/bin/zm540vet-cli ] ||
  { echo "build first: cmake --build build"; exit 1; }

work=$(mktemp -d)
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1920x1080x24 >/dev/null 2>&1 &
xvfb=$!
sim=
app=
trap 'kill $xvfb $sim $app 2>/dev/null; rm -rf "$work"' EXIT
sleep 1

build/bin/ks770sim --noise --wander --log "$work/sent.log" >"$work/sim.out" &
sim=$!
sleep 0.5
device=$(head -n1 "$work/sim.out")

DISPLAY=$display build/bin/zm540vet --settings "$work/s.ini" \
  ${ZM540_GEOMETRY:+-geometry "$ZM540_GEOMETRY"} --serial-device "$device" --mode 12lead \
  --filter 100Hz --record $((minutes * 60)) --save "$work/r.vecg" --time-session \
  >"$work/out" 2>"$work/err" &
app=$!
start=$(date +%s.%N)
ticks=$(getconf CLK_TCK)

# Processor ticks (user + system) of the program so far; the fields after the name in
# parentheses, which may itself hold spaces.
cpu_ticks() {
  local stat
  stat=$(cat "/proc/$app/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  awk '{ print $12 + $13 }' <<<"$stat"
}

echo "session of $minutes min, 12-lead from ks770sim; processor time per minute:"
previous=0
: >"$work/minutes"
for m in $(seq "$minutes"); do
  # Sleep to the minute's end on the run's own clock, so that the minutes do not drift.
  sleep "$(awk -v s="$start" -v m="$m" -v now="$(date +%s.%N)" 'BEGIN {
    d = s + 60 * m - now; print (d > 0 ? d : 0) }')"
  now=$(cpu_ticks) || { echo "zm540vet ended before minute $m"; cat "$work/err"; exit 1; }
  awk -v m="$m" -v t=$((now - previous)) -v hz="$ticks" 'BEGIN {
    printf "  minute %2d: %6.2f s (%5.2f %% of one core)\n", m, t / hz, 100 * t / hz / 60 }'
  echo $((now - previous)) >>"$work/minutes"
  previous=$now
done

wait "$app" || { echo "zm540vet failed"; cat "$work/err"; exit 1; }
app=
kill "$sim" 2>/dev/null
wait "$sim" 2>/dev/null || true
sim=
echo "  the program: $(cat "$work/out")"

awk '{ t[NR] = $1 } END {
  lo = hi = t[1]; for (i = 2; i <= NR; ++i) { if (t[i] < lo) lo = t[i]; if (t[i] > hi) hi = t[i] }
  printf "  busiest / quietest minute: %.2f over all %d minutes", (lo > 0 ? hi / lo : 0), NR
  if (NR > 2) {
    lo = hi = t[2]; for (i = 3; i <= NR; ++i) { if (t[i] < lo) lo = t[i]; if (t[i] > hi) hi = t[i] }
    printf ", %.2f over minutes 2 to %d", (lo > 0 ? hi / lo : 0), NR
  }
  print "" }' "$work/minutes"

# Lost bytes: the leads I and II of the recording must appear, unbroken, in what was sent.
build/bin/zm540vet-cli export "$work/r.vecg" -o "$work/raw.csv" --format csv --raw
python3 scripts/check-recording-run.py "$work/raw.csv" "$work/sent.log"
