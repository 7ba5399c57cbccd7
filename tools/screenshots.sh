#!/usr/bin/env bash
# Builds the program and grabs its windows, headless, in each language:
# <out>/main-ja.png, main-en.png and main-zh.png (the main window with a few
# sample rows), question-ja.png, question-en.png and question-zh.png (the
# close question over the main window), plus the empty window in Japanese.
# Usage: bash tools/screenshots.sh [out-dir] (default build/screenshots; the
# pictures in docs/ come from "bash tools/screenshots.sh docs"). The Japanese
# and Chinese interfaces use the Noto CJK faces (Debian: fonts-noto-cjk) and
# Qt's own translations (qt6-translations-l10n), both from tools/setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
out="${1:-$build/screenshots}"
cmake -S . -B "$build" -G Ninja -DVR_BUILD_UI=ON >/dev/null
cmake --build "$build" --target vr_shot vr_shot_question VrEngRc VrChsRc
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
for lang in ja en zh; do
  "$build/tests/gui/vr_shot" "$lang" "$out/main-$lang.png" --sample
  "$build/tests/gui_shell/vr_shot_question" "$lang" "$out/question-$lang.png"
done
"$build/tests/gui/vr_shot" ja "$out/main-ja-empty.png"
ls -l "$out"/*.png
