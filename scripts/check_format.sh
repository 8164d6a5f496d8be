#!/usr/bin/env bash
# Fails when a C++ file of the repository is off .clang-format, naming the files.
#   scripts/check_format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is not installed"; exit 1; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
off=$(clang-format --dry-run "${files[@]}" 2>&1 | grep -o '^[^:]*:[0-9]*:[0-9]*: warning' | cut -d: -f1 | sort -u || true)
if [ -n "$off" ]; then
    echo "Files off .clang-format (scripts/check_format.sh --fix formats them):"
    echo "$off"
    exit 1
fi
echo "Format: ${#files[@]} files follow .clang-format"
