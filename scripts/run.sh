#!/usr/bin/env bash
# Installs what is missing, builds the program, creates the first-run data
# and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=build/run
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUESTOES_TESTS=OFF -DQUESTOES_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
if [ ! -x "$build/app/questoes" ]; then
  echo "run: the main window is not built yet; nothing to start." >&2
  exit 0
fi
exec "$build/app/questoes"
