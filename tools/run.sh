#!/usr/bin/env bash
# Installs what is missing, builds the program (only it: tools/test.sh builds
# the tests and benchmarks) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target vestrel
exec ./build/app/vestrel "$@"
