#!/usr/bin/env bash
# Seeds of the dialogs target: the shared corpus's CANdb, LDF and FIBEX files
# saved as definition files into OUTDIR by sbl_seeds (built beside the fuzz
# targets). Nothing to do when the corpus is absent.
# Usage: bash fuzz/dialogs/seeds.sh OUTDIR [BUILD_DIR]   (BUILD_DIR: build-fuzz)
set -euo pipefail
out="${1:?usage: seeds.sh OUTDIR [BUILD_DIR]}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${2:-$root/build-fuzz}"
corpus="$root/../shared/corpus"
[ -d "$corpus" ] || exit 0
files=()
while IFS= read -r f; do files+=("$f"); done < <(find "$corpus" -type f \( -iname '*.dbc' -o -iname '*.ldf' -o -iname '*.xml' \) | sort)
[ "${#files[@]}" -gt 0 ] || exit 0
# Files that no reader takes are passed over by the converter; only its
# summary is shown.
"$build/fuzz/dialogs/sbl_seeds" "$out" "${files[@]}" 2>/dev/null
