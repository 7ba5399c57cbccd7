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
# Each definition file once more as an input of the typing mode: the mark
# byte, the script's length and a short script (a byte count typed and not
# left, a start bit, a bit count, a factor emptied, OK, on two CAN rows)
# before the file.
script='\002\001\001\000\004\001\002\005\000\000\000\000\000\003\002\001\000\000\000\001\003\004\000\000\000'
for f in "$out"/*.sbl; do
  [ -f "$f" ] || continue
  { printf '\001\031'; printf "$script"; cat "$f"; } >"$out/typing_$(basename "$f")"
done
