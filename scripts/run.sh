#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZM540_BUILD_TESTS=OFF >/dev/null
cmake --build build
exec build/bin/zm540vet "$@"
