#!/usr/bin/env bash
# Fails when a C++ source of the repository differs from what clang-format makes of it
# (the repository's .clang-format). Fix with: clang-format -i <file>
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files -- 'src/*.h' 'src/*.cpp' 'tests/*.h' 'tests/*.cpp' 'bench/*.h' 'bench/*.cpp')
[ ${#sources[@]} -gt 0 ] || { echo "check-format: no sources found" >&2; exit 1; }
clang-format --dry-run --Werror "${sources[@]}"
