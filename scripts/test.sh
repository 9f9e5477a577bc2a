#!/usr/bin/env bash
# Installs what is needed, builds and runs the test suite. Presets: default (normal build) and asan
# (AddressSanitizer + UndefinedBehaviorSanitizer). Without arguments both run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan)

for preset in "${presets[@]}"; do
  echo "== $preset =="
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j2
  ctest --preset "$preset"
done
