#!/usr/bin/env bash
# First-run data: the database alias Questoes -> C:\ZQ\Questoes\ in the
# engine's configuration, and the two empty tables (protected by the table
# password) in that folder. Leaves an existing alias and existing tables
# alone; never overwrites a table. Usage: scripts/first_run.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: first_run.sh BUILD_DIR}
dbadmin="$build/tools/dbadmin/dbadmin"
if [ ! -x "$dbadmin" ]; then
  echo "first_run: $dbadmin is not built" >&2
  exit 1
fi

config_dir="${XDG_CONFIG_HOME:-$HOME/.config}/questoes"
config="$config_dir/dbengine.conf"

# True when a configuration file names the alias Questoes in an [Aliases]
# section (names ignore case, as the engine reads them).
has_alias() {
  [ -r "$1" ] && awk '
    /^[ \t]*\[/ { s = tolower($0); gsub(/[ \t\[\]\r]/, "", s); in_aliases = (s == "aliases"); next }
    in_aliases { line = $0; sub(/^[ \t]+/, "", line)
                 n = index(line, "=")
                 if (n > 0) { name = tolower(substr(line, 1, n - 1)); gsub(/[ \t]/, "", name)
                              value = substr(line, n + 1); gsub(/[ \t\r]/, "", value)
                              if (name == "questoes" && value != "") found = 1 } }
    END { exit found ? 0 : 1 }' "$1"
}

if has_alias "$config" || has_alias /etc/questoes/dbengine.conf; then
  echo "first_run: alias Questoes already configured"
else
  mkdir -p "$config_dir"
  # A section of its own at the end, whatever the file held before.
  if [ -s "$config" ] && [ -n "$(tail -c 1 "$config")" ]; then
    echo >>"$config"
  fi
  printf '[Aliases]\nQuestoes=C:\\ZQ\\Questoes\\\n' >>"$config"
  echo "first_run: alias Questoes -> C:\\ZQ\\Questoes\\ written to $config"
fi

# Creates only the tables that are missing; an existing one is kept as it is.
"$dbadmin" --alias Questoes create --missing
