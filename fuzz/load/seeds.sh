#!/usr/bin/env bash
# Seeds of the load target in OUTDIR: the readers' own seeds and, when the
# shared corpus lies beside the project, its CANdb, LDF and FIBEX files
# (linked or cut into OUTDIR, never copied into the project).
# The target turns away inputs above 32 KiB (kMaxInput in FuzzLoad.cpp): a
# longer file is cut to that length, back to its last whole line when that
# leaves something, so that a CANdb or LDF file stays a file of whole
# definitions.
# Usage: bash fuzz/load/seeds.sh OUTDIR
set -euo pipefail
out="${1:?usage: seeds.sh OUTDIR}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
max=$((32 * 1024))
mkdir -p "$out"

seed() {
  local from="$1" to="$2"
  if [ "$(stat -c %s "$from")" -le "$max" ]; then
    ln -sf "$from" "$to"
    return
  fi
  rm -f "$to"
  LC_ALL=C head -c "$max" "$from" | LC_ALL=C sed '$d' >"$to"
  [ -s "$to" ] || head -c "$max" "$from" >"$to"
}

for area in candb ldf fibex sbl; do
  for f in "$root/fuzz/$area/seeds"/*; do
    [ -f "$f" ] && seed "$f" "$out/$area-$(basename "$f")"
  done
done
corpus="$root/../shared/corpus"
[ -d "$corpus" ] || exit 0
find "$corpus" -type f \( -iname '*.dbc' -o -iname '*.ldf' -o -iname '*.xml' \) | while IFS= read -r f; do
  rel="${f#"$corpus"/}"
  seed "$f" "$out/corpus-${rel//\//_}"
done
