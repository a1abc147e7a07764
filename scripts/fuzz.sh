#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one briefly from its
# seed corpus. Any crash fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build=build/fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" \
  -DQUESTOES_FUZZ=ON -DQUESTOES_TESTS=OFF -DQUESTOES_BENCH=OFF >/dev/null
# The build lists its fuzz targets, their executables and seed corpora.
cmake --build "$build" -j "$(nproc)" --target fuzzers
while IFS=$'\t' read -r f exe seeds; do
  [ -n "$f" ] || continue
  corpus=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  echo "fuzz: $f for ${seconds}s"
  "$exe" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 "$corpus" >"$build/$f.log" 2>&1 \
    || { tail -n 60 "$build/$f.log"; echo "fuzz: $f failed" >&2; exit 1; }
  rm -rf "$corpus"
done <"$build/fuzzers.txt"
