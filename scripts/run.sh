#!/usr/bin/env bash
# Installs what is needed, builds, creates the demo database when it is missing and opens the calendar
# on it. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target calendatt

db="${CALENDATT_DB:-$PWD/demo/calendatt-demo.db}"
mkdir -p "$(dirname "$db")"
if [ ! -f "$db" ]; then
  build/default/calendatt init --db "$db" --demo
fi
build/default/calendatt contents --db "$db" "$@"
