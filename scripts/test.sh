#!/usr/bin/env bash
# Builds every configuration and runs every test. Installs what is missing when run as root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh all

for preset in default asan; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "=== lint ==="
bash scripts/lint.sh build/default

# --- Windows: the module as shipped (win32) and the same code for 64-bit Wine (win64) -----------
# win32: build, and check the DLL's exports and imports. win64: the same, and the end-to-end
# tests with the real dialog and message boxes under Wine on a virtual screen.
for preset in win32 win64; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

# --- hostile input: a short libFuzzer run of each fuzz target (ASan + UBSan), from the kept
# corpus and regression inputs. CATASSIST_FUZZ_SECONDS sets the length of each run.
echo "=== fuzz ==="
bash scripts/fuzz.sh "${CATASSIST_FUZZ_SECONDS:-60}"
