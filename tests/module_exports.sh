#!/usr/bin/env bash
# The module shows the host its two entry points and no other function of its own.
set -euo pipefail
module=$1
functions=$(nm -D --defined-only "$module" | awk '$2 ~ /^[TtWw]$/ {print $3}' | sort)
expected=$(printf '%s\n' _SetupAssistant _StartAssist)
if [ "$functions" != "$expected" ]; then
  echo "exported functions differ:"; diff <(echo "$expected") <(echo "$functions") || true
  exit 1
fi
echo "exports: $(echo $functions)"
