#!/usr/bin/env bash
# The scan benchmark: our full catalogue scan against grep, ripgrep and cat on one generated
# catalogue, with medians, ratios and peak memory; the ways of reading (read() blocks against a
# mapping); optionally an 8 GiB catalogue; and 1,000 names in one pass against 1,000 scans.
#
# usage: bash bench/run.sh [--size 1G] [--runs 5] [--big] [--dir DIR] [--catdesc PATH]
#                          [--separate N]
#   --size   catalogue size (default 1G)          --runs  timed runs per command (default 5)
#   --big    also measure an 8 GiB catalogue      --dir   where catalogues go (default build/bench)
#   --catdesc PATH  catdesc for the many-names run (default: build/default/catdesc, if built)
#   --separate N    run only the first N of the 1,000 separate scans and scale (default 1000)
# Prints a table and writes it as Markdown to DIR/results.md. Not part of the test command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

size=1G
runs=5
many_catdesc=""
separate_count=1000
big=0
dir=build/bench
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --big) big=1; shift ;;
    --dir) dir=$2; shift 2 ;;
    --catdesc) many_catdesc=$2; shift 2 ;;
    --separate) separate_count=$2; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "bench: unknown argument '$1'" >&2; exit 64 ;;
  esac
done

bash scripts/install-deps.sh linux bench
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
bin=build/default
mkdir -p "$dir"

absent=MOONBASE.ZIP   # never generated: names are random, and no abstract word spells it
present=STARCHRT.ZIP  # planted as the last entry, mentioned nowhere else
catdesc=""
[ -x "$bin/catdesc" ] && catdesc="$bin/catdesc"
many_catdesc=${many_catdesc:-$catdesc}

# Generates (once) the catalogue of the given size; prints its path.
catalogue() {
  local path="$dir/catalogue-$1.cat"
  if [ ! -s "$path" ]; then
    "$bin/catgen" --seed 1 --size "$1" --plant "$present" --names "$dir/names-$1.txt" -o "$path.part"
    mv "$path.part" "$path"
  fi
  echo "$path"
}

now() { date +%s%N; }

# Our scan of FILE for NAME, as a user runs it: through catdesc when it is built, else through the
# reference host, whose dialog takes the path and whose "Warning" box takes the empty line.
ours() {
  if [ -n "$catdesc" ]; then
    "$catdesc" --guess=skip "$1" "$2" >/dev/null 2>&1 || true
  else
    printf '%s\n\n' "$1" >"$dir/answers"
    "$bin/assist-host" "$2" <"$dir/answers" >/dev/null 2>&1 || true
  fi
}

# median_of CMD...: runs the command $runs times and prints the median wall time in seconds.
median_of() {
  local times=() t0 t1
  for _ in $(seq "$runs"); do
    t0=$(now); "$@" >/dev/null 2>&1 || true; t1=$(now)
    times+=("$(( (t1 - t0) / 1000 ))")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{v[NR]=$1} END {printf "%.3f", v[int((NR+1)/2)]/1e6}'
}

# peak_kib CMD...: the command's peak resident memory in KiB.
peak_kib() {
  { /usr/bin/time -v "$@" 2>&1 >/dev/null || true; } |
    awk -F': ' '/Maximum resident set size/ {print $2}'
}

ours_cmd() { ours "$@"; }
grep_cmd() { grep -F -i -c "$2" "$1"; }
rg_cmd() { rg -F -i -c "$2" "$1"; }
cat_cmd() { cat "$1"; }
# For the memory figures the measured process must be the program itself, not a shell.
ours_peak() {
  if [ -n "$catdesc" ]; then
    peak_kib "$catdesc" --guess=skip "$1" "$2"
  else
    printf '%s\n\n' "$1" >"$dir/answers"
    peak_kib "$bin/assist-host" "$2" <"$dir/answers"
  fi
}

file=$(catalogue "$size")
# 1,000 entry names spread evenly over the catalogue, for the many-names runs.
names1000="$dir/names-1000.txt"
total=$(wc -l <"$dir/names-$size.txt")
awk -v n="$total" 'NR % int(n / 1000) == 0 && c < 1000 {print $1; c++}' "$dir/names-$size.txt" \
  >"$names1000"
bytes=$(stat -c %s "$file")
cat "$file" >/dev/null  # into the page cache: every command reads from memory
driver=${catdesc:+catdesc}
driver=${driver:-assist-host}

out="$dir/results.md"
{
  echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
    "$(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo) memory," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg) at start; kernel $(uname -r)."
  echo "Catalogue: $file, $bytes bytes, page-cached; $runs runs each, median wall time."
  echo "Our scan runs through $driver. $(rg --version | head -1); $(grep --version | head -1)."
  echo
  echo "| command | name | median s | GB/s | peak RSS KiB |"
  echo "|---|---|---:|---:|---:|"
} >"$out"

declare -A median
row() {  # row LABEL NAME FUNCTION
  local label=$1 name=$2 fn=$3 m peak
  m=$(median_of "$fn" "$file" "$name")
  median[$label]=$m
  case "$fn" in
    ours_cmd) peak=$(ours_peak "$file" "$name") ;;
    grep_cmd) peak=$(peak_kib grep -F -i -c "$name" "$file") ;;
    rg_cmd) peak=$(peak_kib rg -F -i -c "$name" "$file") ;;
    cat_cmd) peak=$(peak_kib cat "$file") ;;
  esac
  local rate
  rate=$(awk -v b="$bytes" -v s="$m" 'BEGIN {printf "%.2f", b / s / 1e9}')
  echo "| $label | $name | $m | $rate | $peak |" >>"$out"
}

row "ours (absent)" "$absent" ours_cmd
row "ours (present at end)" "$present" ours_cmd
row "grep -F -i -c" "$absent" grep_cmd
row "rg -F -i -c" "$absent" rg_cmd
row "rg -F -i -c (present)" "$present" rg_cmd
row "cat > /dev/null" "-" cat_cmd

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
{
  echo
  echo "| ratio (ours / peer) | grep | rg | cat |"
  echo "|---|---:|---:|---:|"
  for which in "ours (absent)" "ours (present at end)"; do
    echo "| $which | $(ratio "${median[$which]}" "${median[grep -F -i -c]}") |" \
      "$(ratio "${median[$which]}" "${median[rg -F -i -c]}") |" \
      "$(ratio "${median[$which]}" "${median[cat > /dev/null]}") |"
  done
  echo
  echo "Ways of reading, and one name against 1,000 (the block search alone; read_probe):"
  echo
  echo '```'
  "$bin/read_probe" "$file" "$absent" "$runs" "$dir/names-1000.txt"
  echo '```'
} >>"$out"

if [ "$big" = 1 ]; then
  bigfile=$(catalogue 8G)
  cat "$bigfile" >/dev/null
  m=$(median_of ours_cmd "$bigfile" "$absent")
  peak=$(ours_peak "$bigfile" "$absent")
  {
    echo
    echo "8 GiB catalogue ($(stat -c %s "$bigfile") bytes): ours (absent) median $m s," \
      "peak RSS $peak KiB."
  } >>"$out"
fi

# Many names: in one pass and one scan each.
{
  echo
  if [ -n "$many_catdesc" ]; then
    one=$(median_of "$many_catdesc" --guess=skip --names "$names1000" "$file")
    single=$(median_of "$many_catdesc" --guess=skip "$file" "$absent")
    t0=$(now)
    awk -v k=$((1000 / separate_count)) '(NR - 1) % k == 0' "$names1000" | while read -r name; do
      "$many_catdesc" --guess=skip "$file" "$name" >/dev/null 2>&1 || true
    done
    t1=$(now)
    separate=$(awk -v d="$(( (t1 - t0) / 1000 ))" -v n="$separate_count" \
      'BEGIN {printf "%.1f", d / 1e6 * 1000 / n}')
    scaled=""
    [ "$separate_count" -lt 1000 ] && scaled=" ($separate_count of them, spread evenly, run and scaled to 1,000)"
    echo "Many names ($many_catdesc): 1,000 names in one pass $one s (median of $runs);" \
      "one absent name $single s; one pass / one name = $(ratio "$one" "$single");" \
      "1,000 separate scans $separate s$scaled."
  else
    echo "Many names: skipped, catdesc is not built in this tree (the harness runs" \
      "\`catdesc --guess=skip --names FILE CATALOG\` against one \`catdesc\` run per name)."
  fi
} >>"$out"

cat "$out"
