#!/usr/bin/env bash
# Times catdesc on a generated catalogue: one name against many names in the same pass. Not a
# test: figures only. Usage: scripts/bench-catdesc.sh [CATDESC] [MEGABYTES] [NAMES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
catdesc=${1:-$root/build/default/catdesc}
megabytes=${2:-100}
count=${3:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Compact entries for 200,000 different files, repeated until the size is reached.
awk -v limit=$((megabytes * 1000000)) 'BEGIN {
  split("the program for DOS with a and of to shareware utility printer game disk file", w, " ")
  srand(1)
  while (size < limit) {
    name = sprintf("F%05d.ZIP", n++ % 200000)
    text = ""
    for (i = 0; i < 12; i++) text = text w[int(rand() * 14) + 1] " "
    entry = name "\r\nBytes: " int(rand() * 99999) "  Count: 3\r\nTitle: " text "\r\n" \
            "Keywords: " w[int(rand() * 14) + 1] "\r\n" text "\r\n" text "\r\n[1] by x\r\n\r\n"
    printf "%s", entry
    size += length(entry)
  }
}' > "$work/big.cat"
# Names that are never there, so that every run reads the whole catalogue.
for ((i = 0; i < count; i++)); do printf 'X%05d.zip\n' "$i"; done > "$work/names"
cat "$work/big.cat" > /dev/null  # into the page cache

measure() {  # measure ARG...: best of three wall-clock times, in seconds
  local best=
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    local status=0
    "$catdesc" --guess=skip "$work/big.cat" "$@" > /dev/null || status=$?
    [ "$status" -le 1 ] || { echo "catdesc failed with status $status" >&2; exit 1; }
    end=$(date +%s.%N)
    best=$(echo "$start $end ${best:-}" | awk '{t = $2 - $1; if ($3 != "" && $3 < t) t = $3; print t}')
  done
  echo "$best"
}
one=$(measure NONE.ZIP)
many=$(measure --names "$work/names")
echo "catalogue: $(stat -c %s "$work/big.cat") bytes"
echo "1 name: ${one} s"
echo "$count names: ${many} s"
awk -v a="$one" -v b="$many" 'BEGIN { printf "ratio: %.2f\n", b / a }'
