#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# With CI=true the formatting is checked first, the build treats warnings
# as errors, uses the sanitizers and compiles every header on its own, and
# the fuzz targets are built with clang and run for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."

ci=0
[ "${CI:-}" = true ] && ci=1
QUESTOES_CI=$ci scripts/setup.sh
if [ $ci = 1 ]; then
  scripts/check_format.sh
fi

jobs=$(nproc)
# Rebuilds after a small change take seconds with the compiler cache.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths below the checkout count as relative, so that another clone of the
# project (CI's) finds what this one compiled.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
if [ $ci = 1 ]; then
  build=build/ci
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DQUESTOES_WERROR=ON -DQUESTOES_SANITIZE=ON -DQUESTOES_BENCH=ON -DQUESTOES_HEADER_CHECK=ON "${launcher[@]}" >/dev/null
else
  build=build/test
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 300

if [ $ci = 1 ]; then
  scripts/fuzz.sh
fi
