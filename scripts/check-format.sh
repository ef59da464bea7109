#!/usr/bin/env bash
# Checks that every C++ file git tracks is formatted as .clang-format says;
# lists the files that are not. With --fix, formats them in place.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ "${1:-}" == --fix ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if ((${#bad[@]} > 0)); then
  printf 'not formatted (scripts/check-format.sh --fix): %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "format: ${#files[@]} files formatted as .clang-format says"
