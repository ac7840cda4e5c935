#!/usr/bin/env bash
# Processor time of a live 12-lead session of the real program: zm540vet records for 60 s from
# ks770sim on a pseudo-terminal (the real serial path), drawing on a real X server (Xvfb). Prints
# the program's processor time as a share of one core, and checks that the saved recording is
# an unbroken run of the frames the simulated unit sent. Usage: scripts/measure-session-cpu.sh [s]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ -x build/bin/zm540vet ] && [ -x build/bin/ks770sim ] || { echo "build first: cmake --build build"; exit 1; }

work=$(mktemp -d)
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1920x1080x24 >/dev/null 2>&1 &
xvfb=$!
build/bin/ks770sim --noise --wander --log "$work/sent.log" >"$work/sim.out" &
sim=$!
trap 'kill $xvfb $sim 2>/dev/null; rm -rf "$work"' EXIT
sleep 1
device=$(head -n1 "$work/sim.out")

DISPLAY=$display /usr/bin/time -f '%U %S %e' -o "$work/time" \
  build/bin/zm540vet --settings "$work/s.ini" ${ZM540_GEOMETRY:+-geometry "$ZM540_GEOMETRY"} --serial-device "$device" \
  --mode 12lead --filter 100Hz --record "$seconds" --save "$work/r.vecg" 2>"$work/err" || {
  cat "$work/err"; exit 1; }
read -r user sys elapsed <"$work/time"
awk -v u="$user" -v s="$sys" -v e="$elapsed" -v r="$seconds" 'BEGIN {
  printf "processor time %.2f s (user %.2f, system %.2f) over %.1f s of running, %s s recording\n", u+s, u, s, e, r
  printf "share of one core: %.2f %%\n", 100*(u+s)/e }'

# Lost bytes: the leads I and II of the recording must appear, unbroken, in what was sent.
build/bin/zm540vet-cli export "$work/r.vecg" -o "$work/raw.csv" --format csv --raw
python3 - "$work/raw.csv" "$work/sent.log" <<'PY'
import sys
rec = [tuple(map(int, l.split(',')[1:3])) for l in open(sys.argv[1]).read().split('\n')[1:] if l]
sent = [tuple(map(int, l.split(',')[:2])) for l in open(sys.argv[2]) if l[0] != '#']
text = {s: i for i, s in enumerate(zip(*[sent[k:] for k in range(8)]))}
start = text.get(tuple(rec[:8]))
ok = start is not None and sent[start:start + len(rec)] == rec
print(f"recording: {len(rec)} samples; {'an unbroken run of the frames sent' if ok else 'NOT a run of the frames sent'}")
sys.exit(0 if ok else 1)
PY
