#!/usr/bin/env bash
# Installs what is needed, builds and runs the test suite. Presets: default (normal build) and asan
# (AddressSanitizer + UndefinedBehaviorSanitizer). Without arguments both run. The scenario suites run on
# both engines: the script starts a throwaway PostgreSQL server for them (scripts/with-postgres.sh), or
# uses the one CALENDATT_TEST_PG names. A run that includes asan also runs the fuzzing harnesses once
# (scripts/fuzz.sh, 15 s each; CALENDATT_FUZZ_SECONDS changes it).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

if [ -z "${CALENDATT_TEST_PG:-}" ]; then
  exec scripts/with-postgres.sh scripts/test.sh "$@"
fi

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan)

for preset in "${presets[@]}"; do
  echo "== $preset =="
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j2
  ctest --preset "$preset"
done

if [[ " ${presets[*]} " == *" asan "* ]]; then
  echo "== fuzz =="
  scripts/fuzz.sh "${CALENDATT_FUZZ_SECONDS:-15}"
fi
