#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it with the checked-in
# .clang-format; "--fix" rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/korvane-format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/korvane-format.$$ | cut -d: -f1 | sort -u |
    sed 's/^/not formatted: /'
  rm -f /tmp/korvane-format.$$
  echo "run scripts/check-format.sh --fix"
  exit 1
fi
rm -f /tmp/korvane-format.$$
echo "format: every file as clang-format writes it"
