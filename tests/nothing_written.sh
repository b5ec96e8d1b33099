#!/usr/bin/env bash
# The reference host with the real module, traced by strace: whatever the outcome (found, guessed,
# not found, cancelled, cannot open, setup), no file is opened for writing or created, and nothing
# on disk is removed, renamed or changed. Fails loudly when strace cannot trace.
# Usage: nothing_written.sh ASSIST-HOST MODULE EXAMPLE-CATALOGUE
set -uo pipefail
host=$1 module=$2 example=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/area"
cp "$example" "$work/area/library.cat"
printf '[Download Directorys]\nArea One=%s\n' "$work/area" > "$work/tarvlib.ini"
export TARVLIB_INI="$work/tarvlib.ini"
# LeakSanitizer cannot run under a tracer; everything else of a sanitizer build still does.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

if ! command -v strace > /dev/null; then
  echo "FAIL: strace is not installed (scripts/install-deps.sh installs it)"
  exit 1
fi

# System calls that create, change or remove something on disk.
changing='creat|mkdir|mkdirat|rmdir|unlink|unlinkat|rename|renameat|renameat2|link|linkat|symlink|symlinkat|truncate|chmod|fchmodat|chown|lchown|fchownat|mknod|mknodat|utime|utimes|utimensat|futimesat|setxattr|lsetxattr|removexattr|lremovexattr'
# Prints the offending lines of a trace: opens with a writing or creating flag, and changing calls.
offences() {
  grep -E "^[0-9]+ +(open|openat|openat2)\(.*(O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_TMPFILE)" "$1"
  grep -E "^[0-9]+ +($changing)\(" "$1"
}

failures=0 checks=0
# traced NAME EXPECTED-STATUS COMMAND...: runs COMMAND under strace with the answers in
# $work/answers on standard input, and checks the tracing itself worked.
traced() {
  local name=$1 expected=$2
  shift 2
  checks=$((checks + 1))
  strace -f -qq -e trace=%file -o "$work/$name.trace" -- "$@" \
    < "$work/answers" > "$work/$name.out" 2> "$work/$name.err"
  local status=$?
  if grep -q '^strace: ' "$work/$name.err" || [ ! -s "$work/$name.trace" ] ||
     ! grep -qE '^[0-9]+ +execve\(' "$work/$name.trace"; then
    failures=$((failures + 1))
    echo "FAIL: $name: strace did not trace (status $status)"; cat "$work/$name.err"
    return 1
  fi
  if [ "$status" -ne "$expected" ]; then
    failures=$((failures + 1))
    echo "FAIL: $name: exit status $status, expected $expected"
    cat "$work/$name.out" "$work/$name.err"
    return 1
  fi
  return 0
}
# check NAME EXPECTED-STATUS ANSWERS HOST-ARGUMENTS...: the host under strace writes nothing.
check() {
  local name=$1 expected=$2
  printf "$3" > "$work/answers"
  shift 3
  traced "$name" "$expected" "$host" --module "$module" "$@" || return
  if offences "$work/$name.trace" > "$work/$name.bad"; then
    failures=$((failures + 1))
    echo "FAIL: $name: the host and module changed something on disk:"; cat "$work/$name.bad"
  elif ! grep -qF "$work/area" "$work/$name.trace" && [ "$name" != setup ]; then
    failures=$((failures + 1))
    echo "FAIL: $name: the trace shows no look at the catalogue folder"
  fi
}

# The detector itself must see a file being created, or a silent trace would prove nothing.
printf '' > "$work/answers"
checks=$((checks + 1))
if traced probe 0 touch "$work/probe" && ! offences "$work/probe.trace" > /dev/null; then
  failures=$((failures + 1))
  echo "FAIL: the trace check does not see touch creating a file"
fi

check found 0 'library.cat\n' STARCHRT.ZIP
check guessed 0 'library.cat\nn\n' MORSEKEY.ZIP
check guess-declined 1 'library.cat\ny\n\n' MORSEKEY.ZIP
check not-found 1 'library.cat\n\n' NOSUCH.ZIP
check cancelled 1 '\n' STARCHRT.ZIP
check create-prompt 3 'missing.cat\ny\n\n' STARCHRT.ZIP
check end-of-input 1 '' STARCHRT.ZIP
check setup 0 '\n' --setup
checks=$((checks + 1))
if [ -e "$work/area/missing.cat" ] || [ "$(ls "$work/area")" != library.cat ]; then
  failures=$((failures + 1))
  echo "FAIL: the catalogue folder changed: $(ls "$work/area")"
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
