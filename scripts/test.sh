#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   build/       the program, the tools and the benchmarks, optimised (benchmarks are not run)
#   build-asan/  the same code with AddressSanitizer and UndefinedBehaviorSanitizer, and the tests
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZM540_BUILD_TESTS=OFF >/dev/null
cmake --build build

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZM540_SANITIZE=ON \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DZM540_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure -j2
