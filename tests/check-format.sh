#!/usr/bin/env bash
# Fails, naming the files, when any C++ source no longer matches .clang-format. The layering checks are
# left out: they are fragments written to fail to compile, not code anyone edits.
set -uo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is not installed" >&2; exit 1; }
bad=()
while IFS= read -r -d '' file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || bad+=("$file")
done < <(find src tests bench tools -path tests/layering -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
if [ ${#bad[@]} -gt 0 ]; then
    printf 'not formatted: %s\n' "${bad[@]}" >&2
    echo "run: clang-format -i ${bad[*]}" >&2
    exit 1
fi
