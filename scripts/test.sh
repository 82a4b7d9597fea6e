#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything and runs every test, on
# SQLite files and on a PostgreSQL server started here on 127.0.0.1. Arguments go to ctest
# (e.g. -R test_data to run one executable's classes).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
./scripts/check-format.sh
# Unoptimised without debug information: the quickest build on a small machine, with
# assertions on.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g0" -DPZARC_WERROR=ON
cmake --build build -j2

eval "$(./scripts/start-test-postgres.sh)"
export PZARC_TEST_PG
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@"
