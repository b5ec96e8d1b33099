#!/usr/bin/env bash
# The reference host with the real module and the console dialog, answered on standard input as a
# person would answer them.
# Usage: console_end_to_end.sh ASSIST-HOST MODULE EXAMPLE-CATALOGUE
set -uo pipefail
host=$1 module=$2 example=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$example" "$work/library.cat"
printf '[Download Directorys]\nArea One=%s\n' "$work" > "$work/tarvlib.ini"
export TARVLIB_INI="$work/tarvlib.ini"
failures=0 checks=0

# run NAME ANSWERS: runs the host, keeping its output, messages and exit status.
run() {
  printf "$2" | "$host" --module "$module" "$1" > "$work/out" 2> "$work/err"
  status=$?
}
expect() {  # expect DESCRIPTION CONDITION...
  local what=$1; shift
  checks=$((checks + 1))
  if ! "$@"; then
    failures=$((failures + 1))
    echo "FAIL: $what"; echo "--- stdout"; cat "$work/out"; echo "--- stderr"; cat "$work/err"
  fi
}
has() { grep -qxF -- "$1" "$work/out"; }
said() { grep -qF -- "$1" "$work/err"; }

run STARCHRT.ZIP 'library.cat\n'
expect "spaced entry found" test $status -eq 0
expect "spaced result" has "result: 1"
expect "spaced title" has "title:    Star Chart Printer for Dot-Matrix Printers"
expect "spaced keywords" has "keywords:  ASTRONOMY STARS PRINTER CHART"
expect "spaced abstract" has "abstract: Prints a map of the night sky for any date, time and latitude on an Epson-compatible dot-matrix printer. Constellation lines and names are optional; the bright-star list holds 1,600 stars down to magnitude 5."
expect "dialog shows its title, folder and filters" said "== Load Library/catalogue File ==" 
expect "dialog starts in the download area" said "Look in: $work"
expect "dialog lists the catalogue" said "    library.cat"
expect "no message on success" bash -c "! grep -q '== (' '$work/err'"

run tideway.arj 'library\n'  # the default extension is added, matched ignoring case
expect "compact entry found" has "title:    Tideway - tide tables for British ports"
expect "compact keywords" has "keywords:  TIDES SAILING TABLES"
expect "name upper-cased in place" has "name: TIDEWAY.ARJ"

run QUILTPAT.LZH "$work/library.cat\n"
expect "headed entry found" has "title: Quilt Pattern Designer 2.1"
expect "headed abstract" has "abstract: Lay out patchwork blocks on a grid, try colourways, and print templates at full size with seam allowances. Includes thirty traditional blocks."

run MORSEKEY.ZIP 'library.cat\nn\n'
expect "guess asked" said "== (?) Question =="
expect "guess shown" said "Morse code trainer with adjustable speed and Farnsworth spacing"
expect "guess accepted" has "title: Morse code trainer with adjustable speed and Farnsworth spacing"
expect "guess result" test $status -eq 0

run MORSEKEY.ZIP 'library.cat\ny\n\n'
expect "guess declined, then not found" has "result: 0"
expect "warning after the guess" said "Could not find named file in Library/Catalog"

run NOSUCH.ZIP 'library.cat\n\n'
expect "not found result" test $status -eq 1
expect "not found caption" said "== (!) Warning =="

run STARCHRT.ZIP '\n'
expect "cancel result" has "result: 0"
expect "cancel shows no message" bash -c "! grep -q '== (' '$work/err'"

run STARCHRT.ZIP 'missing.cat\ny\n\n'
expect "create prompt offered" said "This file does not exist."
expect "missing file result" test $status -eq 3
expect "missing file message" said "Error opening library/catalogue file: $work/missing.cat."
expect "nothing created" test ! -e "$work/missing.cat"

"$host" --module "$module" --setup < /dev/null > "$work/out" 2> "$work/err"
expect "setup message" said "No configuration is required for this assistant."
expect "setup result" has "result: 1"

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
