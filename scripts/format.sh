#!/usr/bin/env bash
# Formats the C++ sources git tracks with the project's .clang-format.
# `scripts/format.sh --check` only lists the files that would change (exit 1 if any).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is not installed (apt-get install clang-format)" >&2; exit 2; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ "${1:-}" == "--check" ]]; then
    changed=0
    for f in "${files[@]}"; do
        if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then echo "$f"; changed=1; fi
    done
    exit "$changed"
fi
clang-format -i "${files[@]}"
