#!/usr/bin/env bash
# First-run data: the database alias Questoes -> C:\ZQ\Questoes\ in the
# engine's configuration, and the two empty tables (protected by the table
# password) in that folder. Leaves an existing alias and existing tables
# alone; never overwrites a table. The configuration is read and written by
# dbadmin, with the engine's own reader and writer. Usage:
# scripts/first_run.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: first_run.sh BUILD_DIR}
dbadmin="$build/tools/dbadmin/dbadmin"
if [ ! -x "$dbadmin" ]; then
  echo "first_run: $dbadmin is not built" >&2
  exit 1
fi

# Found in the user's configuration or in /etc, as the engine looks it up.
if dir=$("$dbadmin" alias get Questoes 2>/dev/null); then
  echo "first_run: alias Questoes already configured ($dir)"
else
  "$dbadmin" alias set Questoes 'C:\ZQ\Questoes\'
fi

# Creates only the tables that are missing; an existing one is kept as it is.
"$dbadmin" --alias Questoes create --missing
