#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run (qt6-base-dev for the desktop
# host and qt6-translations-l10n for Qt's own texts in Italian, xvfb and xauth for running it on a
# machine without a display, libpq-dev for the PostgreSQL engine and postgresql for the throwaway server
# the tests run on, libical-dev for calendar files and nlohmann-json3-dev for JSON, clang-14 and its
# runtime libraries for the fuzzing harnesses, python3-icalendar and python3-dateutil for the tests that
# read an exported calendar back and expand a holiday file a second time). Installs only what is missing.
set -euo pipefail

packages=(build-essential cmake pkg-config libsqlite3-dev uuid-dev libpq-dev postgresql libical-dev
          nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev clang-format clang-14 libclang-rt-14-dev
          qt6-base-dev qt6-translations-l10n xvfb xauth python3-icalendar python3-dateutil)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo_cmd=()
else
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
