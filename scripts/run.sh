#!/usr/bin/env bash
# Installs what is needed, builds, creates the demo database when it is missing and opens the desktop
# calendar on it. Extra arguments go to the program (e.g. --lang en, --company 2,
# --called --project PRJ001 --node N01 --activity ATT01); the language of --lang is also the one of every
# line of this script. Without a display it says so and exits 3 before building anything; run it under a
# virtual display with: xvfb-run -a scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

lang=it
previous=
for arg in "$@"; do
  case "$arg" in
    --lang=*) lang="${arg#--lang=}" ;;
    *) [ "$previous" = --lang ] && lang="$arg" ;;
  esac
  previous="$arg"
done
given=$(printf ' %q' "$@")
say() { # say ITALIAN ENGLISH
  if [ "$lang" = en ]; then echo "$2"; else echo "$1"; fi
}

# The window needs a display (a virtual one will do); the program makes the same check.
if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  say "run.sh: qui non c'è uno schermo (né DISPLAY né WAYLAND_DISPLAY): la finestra non può aprirsi." \
      "run.sh: there is no display here (neither DISPLAY nor WAYLAND_DISPLAY): the window cannot open." >&2
  say "run.sh: avviarlo con uno schermo virtuale: xvfb-run -a scripts/run.sh$given" \
      "run.sh: run it under a virtual display: xvfb-run -a scripts/run.sh$given" >&2
  exit 3
fi

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target calendatt calendatt-desktop

db="${CALENDATT_DB:-$PWD/demo/calendatt-demo.db}"
mkdir -p "$(dirname "$db")"
if [ ! -f "$db" ]; then
  build/default/calendatt init --db "$db" --demo --lang "$lang"
fi
status=0
build/default/calendatt-desktop --db "$db" "$@" || status=$?
if [ "$status" -ne 0 ]; then
  say "run.sh: la finestra del calendario non si è aperta o si è chiusa con un errore (uscita $status)" \
      "run.sh: the calendar window did not open or closed with an error (exit $status)" >&2
fi
exit "$status"
