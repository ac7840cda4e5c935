#!/usr/bin/env bash
# The accelerated soak: 24 hours of 12-lead and 24 hours of monitoring, side by side, against
# the emulated unit with its clock driven, through the real sessions, decoders and live
# painters (offscreen, 1920 x 1080), stopping and capturing every 10 minutes. It builds the
# optimised program first, as the README's build does.
#
# Fails (non-zero) on any lost byte or frame, any capture that differs from what the unit sent,
# any session that would not start or stop, or peak memory after 24 hours more than 1 MB above
# peak memory after the first hour.
#
# Usage: scripts/soak.sh [HOURS]   (default 24; further arguments go to zm540vet-soak)
set -euo pipefail
cd "$(dirname "$0")/.."
hours=${1:-24}
shift || true
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZM540_BUILD_TESTS=OFF >/dev/null
cmake --build build --target zm540vet-soak
QT_QPA_PLATFORM=offscreen build/bin/zm540vet-soak --hours "$hours" --max-growth-kb 1024 "$@"
