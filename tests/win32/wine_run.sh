#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the build tree, quietly, and leaves no
# Wine process behind.
#   wine_run.sh --prefix DIR --boot                 makes the prefix once (later runs check it)
#   wine_run.sh --prefix DIR [--display] EXE ARG... runs EXE; --display gives it an X server of
#                                                   its own (xvfb-run) when there is none
# WINE may name the wine loader to use (default: wine64 on PATH, else /usr/lib/wine/wine64), and
# WINEARCH the prefix's kind (default win64), WINE_BOOT_TIMEOUT the seconds the first start may take.
set -euo pipefail

prefix=""
boot=0
display=0
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --boot) boot=1; shift ;;
    --display) display=1; shift ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || { echo "wine_run.sh: --prefix is required" >&2; exit 2; }

wine=${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
[ -x "$wine" ] || { echo "wine_run.sh: no Wine at $wine" >&2; exit 1; }

mkdir -p "$prefix"
export WINEPREFIX=$(cd "$prefix" && pwd)
export WINEARCH=${WINEARCH:-win64}
export WINEDEBUG=-all
# No Mono or Gecko installers (nothing here needs .NET or HTML), and no debugger: a crash ends
# the program, and so the test, instead of waiting at a debugger nobody sees.
export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"

cleanup() { "$wineserver" -k >/dev/null 2>&1 || true; "$wineserver" -w >/dev/null 2>&1 || true; }

if [ "$boot" -eq 1 ]; then
  if [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/.catassist-booted" ]; then
    echo "wine prefix ready: $WINEPREFIX"
    exit 0
  fi
  trap cleanup EXIT
  # The first start of a prefix takes a while; a hung one must not hold the tests forever.
  for attempt in 1 2; do
    if timeout "${WINE_BOOT_TIMEOUT:-240}" "$wine" wineboot -i >/dev/null 2>&1 && timeout 120 "$wineserver" -w; then
      touch "$WINEPREFIX/.catassist-booted"
      echo "wine prefix made: $WINEPREFIX"
      exit 0
    fi
    echo "wineboot failed (attempt $attempt)" >&2
    cleanup
  done
  exit 1
fi

[ $# -gt 0 ] || { echo "wine_run.sh: no program to run" >&2; exit 2; }
trap cleanup EXIT
if [ "$display" -eq 1 ] && [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$@"
else
  "$wine" "$@"
fi
