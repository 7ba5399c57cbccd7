#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless.
# BUILD_DIR and CMAKE_ARGS let CI reuse it for the sanitizer build, CTEST_ARGS
# picks a part of the suite (for example "-L qt").
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$XDG_RUNTIME_DIR"
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
# A suite that finds no test fails instead of passing.
ctest --test-dir "$build" --output-on-failure --no-tests=error -j"$(nproc)" ${CTEST_ARGS:-}
