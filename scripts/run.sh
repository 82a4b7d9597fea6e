#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the embedded default
# database (laid down in the data directory on the first start).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
# The program's own build folder: the tests' stricter flags never reach it.
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPZARC_WERROR=OFF -DPZARC_TESTS=OFF
cmake --build build-run -j2 --target pzarc
exec ./build-run/pzarc "$@"
