#!/usr/bin/env bash
# Builds the program and grabs its main window, headless, in each language:
# <out>/main-ja.png, main-en.png and main-zh.png (with a few sample rows),
# plus the empty window in Japanese. Usage: bash tools/screenshots.sh [out-dir]
# (default build/screenshots). Chinese needs a CJK font with simplified
# characters (Debian: fonts-wqy-microhei).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
out="${1:-$build/screenshots}"
cmake -S . -B "$build" -G Ninja -DVR_BUILD_UI=ON >/dev/null
cmake --build "$build" --target vr_shot VrEngRc VrChsRc
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
for lang in ja en zh; do
  "$build/tests/gui/vr_shot" "$lang" "$out/main-$lang.png" --sample
done
"$build/tests/gui/vr_shot" ja "$out/main-ja-empty.png"
ls -l "$out"/*.png
