#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, on SQLite files and on a
# PostgreSQL server started here on 127.0.0.1.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPZARC_WERROR=ON
cmake --build build -j2

eval "$(./scripts/start-test-postgres.sh)"
export PZARC_TEST_PG
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@"
