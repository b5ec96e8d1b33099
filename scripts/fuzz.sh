#!/usr/bin/env bash
# Builds the fuzz targets (the `fuzz` preset: clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS, one after another.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (default 60 s; targets reader_fuzz scan_fuzz
# assist_fuzz). Each run starts from the kept corpus and the regression inputs and grows its own
# corpus in build/fuzz/corpus/TARGET; an input that crashes is written to build/fuzz/findings/
# and the script fails. Keep a finding as a regression case by fixing it and copying the file to
# fuzz/regressions/TARGET/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(reader_fuzz scan_fuzz assist_fuzz)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"

failed=0
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target findings=build/fuzz/findings
  mkdir -p "$corpus" "$findings"
  cp -n fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
  if [ -d fuzz/regressions/"$target" ]; then
    cp -n fuzz/regressions/"$target"/* "$corpus"/ 2>/dev/null || true
  fi
  log=build/fuzz/$target.log
  echo "=== $target: ${seconds} s"
  if ! build/fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/$target-" "$corpus" > "$log" 2>&1; then
    failed=$((failed + 1))
    echo "$target FOUND A PROBLEM; input kept in $findings:"
    grep -E 'ERROR|SUMMARY|_fuzz:|Test unit written' "$log" | head -20
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
  echo "$target: ${runs:-?} executions in ${took:-?} s, corpus $(ls "$corpus" | wc -l) inputs"
done
echo "fuzz: $((${#targets[@]} - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
