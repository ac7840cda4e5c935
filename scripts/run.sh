#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it with the built-in emulated
# recorder as its serial port, so that Record works without the unit. Arguments go to the
# program (e.g. a .vecg file, or --demo-animal cat).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZM540_BUILD_TESTS=OFF >/dev/null
cmake --build build
exec build/bin/zm540vet --demo "$@"
