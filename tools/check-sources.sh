#!/usr/bin/env bash
# Checks of the committed sources that no compiler makes:
#  - names: a message number (4000-4040, 4100-4110, 4120-4122) written as a
#    bare number in the program's own code (not tests, benchmarks or fuzz
#    targets); each has its name in platform/MsgIds.h, the one place the
#    number stands. Tests may use the numbers: they check the
#    contract with the language libraries.
#  - format: every tracked .cpp/.h file as clang-format (.clang-format in the
#    root) would write it.
# Usage: tools/check-sources.sh [--names-only | --format-only]
# Prints every offending line or file and exits 1 when a check fails.
set -euo pipefail
cd "$(dirname "$0")/.."

names=1
format=1
case "${1:-}" in
  "") ;;
  --names-only) format=0 ;;
  --format-only) names=0 ;;
  *)
    echo "usage: $0 [--names-only | --format-only]" >&2
    exit 2
    ;;
esac

# The files git knows or would take (untracked but not ignored), as they
# stand in the worktree.
sources() {
  git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' "$@" | sort -u | while IFS= read -r f; do
    [ -f "$f" ] && printf '%s\n' "$f"
  done
}

failed=0

if ((names)); then
  # A number standing alone: not part of a longer number, an identifier or a
  # hexadecimal literal, nor the whole part of a decimal fraction.
  pattern='(^|[^0-9A-Za-z_.])(40[0-3][0-9]|4040|410[0-9]|4110|412[0-2])($|[^0-9A-Za-z_.]|\.($|[^0-9]))'
  mapfile -t files < <(sources ':!:tests/' ':!:bench/' ':!:fuzz/' ':!:platform/MsgIds.h')
  if ((${#files[@]})); then
    if hits=$(grep -nE "$pattern" -- "${files[@]}"); then
      echo "bare message numbers (use the names of platform/MsgIds.h):"
      echo "$hits"
      failed=1
    fi
  fi
fi

if ((format)); then
  mapfile -t files < <(sources)
  unformatted=()
  for f in "${files[@]}"; do
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
  done
  if ((${#unformatted[@]})); then
    echo "not formatted as .clang-format says (clang-format -i FILE):"
    printf '%s\n' "${unformatted[@]}"
    failed=1
  fi
fi

exit "$failed"
