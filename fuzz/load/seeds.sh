#!/usr/bin/env bash
# Seeds of the load target, linked into OUTDIR: the readers' own seeds and,
# when the shared corpus lies beside the project, its CANdb, LDF and FIBEX
# files (linked, never copied into the project).
# Usage: bash fuzz/load/seeds.sh OUTDIR
set -euo pipefail
out="${1:?usage: seeds.sh OUTDIR}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
mkdir -p "$out"
for area in candb ldf fibex sbl; do
  for f in "$root/fuzz/$area/seeds"/*; do
    [ -f "$f" ] && ln -sf "$f" "$out/$area-$(basename "$f")"
  done
done
corpus="$root/../shared/corpus"
[ -d "$corpus" ] || exit 0
find "$corpus" -type f \( -iname '*.dbc' -o -iname '*.ldf' -o -iname '*.xml' \) | while IFS= read -r f; do
  rel="${f#"$corpus"/}"
  ln -sf "$f" "$out/corpus-${rel//\//_}"
done
