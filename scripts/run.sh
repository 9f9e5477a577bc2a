#!/usr/bin/env bash
# Installs what is needed, builds, creates the demo database when it is missing and opens the desktop
# calendar on it. Extra arguments go to the program (e.g. --lang en, --company 2,
# --called --project PRJ001 --node N01 --activity ATT01). On a machine without a display the program
# says so; run it under a virtual display with: xvfb-run -a scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target calendatt calendatt-desktop

db="${CALENDATT_DB:-$PWD/demo/calendatt-demo.db}"
mkdir -p "$(dirname "$db")"
if [ ! -f "$db" ]; then
  build/default/calendatt init --db "$db" --demo
fi
exec build/default/calendatt-desktop --db "$db" "$@"
