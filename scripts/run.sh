#!/usr/bin/env bash
# Installs what is missing, builds the program, creates the first-run data
# (the alias Questoes -> C:\ZQ\Questoes\ and the two empty tables, never
# overwriting) and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=build/run
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUESTOES_TESTS=OFF -DQUESTOES_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target questoes dbengine dbadmin
if [ ! -x "$build/app/questoes" ]; then
  echo "run: the main window is not built yet; nothing to start." >&2
  exit 1
fi

# The program loads the engine at run time; point the library search at the
# built one unless the user's registry file already names a folder.
config_dir="${XDG_CONFIG_HOME:-$HOME/.config}/questoes"
registry="$config_dir/registry.conf"
if ! { [ -r "$registry" ] && grep -qi '^[[:space:]]*DLLPATH[[:space:]]*=' "$registry"; }; then
  mkdir -p "$config_dir"
  printf '[HKEY_LOCAL_MACHINE\\Software\\Database Engine]\nDLLPATH=%s\n' \
    "$(cd "$build/store/engine" && pwd)" >>"$registry"
  echo "run: engine folder written to $registry"
fi

scripts/first_run.sh "$build"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "run: start it on a virtual display instead:" >&2
  echo "       xvfb-run -a $PWD/$build/app/questoes" >&2
  exit 2
fi
exec "$build/app/questoes"
