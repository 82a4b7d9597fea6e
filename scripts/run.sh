#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the embedded default
# database (laid down in the data directory on the first start).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target pzarc
exec ./build/pzarc "$@"
