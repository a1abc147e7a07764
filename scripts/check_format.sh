#!/usr/bin/env bash
# Fails when a C or C++ file of the project differs from what clang-format
# makes of it under the project's .clang-format, and names the files.
# With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check_format: clang-format is not installed" >&2; exit 1; }
mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
[ ${#files[@]} -gt 0 ] || exit 0
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
# One run over all files; each drifted line is reported as FILE:LINE:COL.
mapfile -t drifted < <(printf '%s\0' "${files[@]}" |
  xargs -0 -n 100 clang-format --dry-run --Werror 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ ${#drifted[@]} -gt 0 ]; then
  echo "check_format: these files differ from .clang-format (scripts/check_format.sh --fix formats them):" >&2
  printf '  %s\n' "${drifted[@]}" >&2
  exit 1
fi
