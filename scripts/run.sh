#!/usr/bin/env bash
# Builds the module if needed and runs the reference host on a file name from the example
# catalogue. The open-file dialog starts in examples/: type library.cat (or just library) there.
# Usage: scripts/run.sh [FILE-NAME]    (default STARCHRT.ZIP)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh linux
[ -f build/default/CMakeCache.txt ] || cmake --preset default >/dev/null
cmake --build --preset default >/dev/null

# The host's setting: its first download area is the examples folder.
ini="$root/build/default/tarvlib.ini"
printf '[Download Directorys]\nArea One=%s\n' "$root/examples" > "$ini"
export TARVLIB_INI="$ini"
exec build/default/assist-host "${1:-STARCHRT.ZIP}"
