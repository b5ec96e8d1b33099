#!/usr/bin/env bash
# catdesc, the real program, on the example catalogue and on small catalogues written here:
# text and JSON output field by field, every exit status, and every way it can be misused.
# Usage: catdesc_end_to_end.sh CATDESC EXAMPLE-CATALOGUE
set -uo pipefail
catdesc=$1 example=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/cwd" "$work/folder"
cp "$example" "$work/library.cat"
failures=0 checks=0

# run [ARG...]: runs catdesc in an empty folder with no input, keeping stdout, stderr and status.
run() {
  (cd "$work/cwd" && "$catdesc" "$@" < /dev/null > "$work/out" 2> "$work/err")
  status=$?
}
# run_input INPUT [ARG...]: the same with INPUT on standard input.
run_input() {
  local input=$1; shift
  (cd "$work/cwd" && printf "$input" | "$catdesc" "$@" > "$work/out" 2> "$work/err")
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
said() { grep -qxF -- "$1" "$work/err"; }
quiet() { [ ! -s "$work/err" ]; }
silent() { [ ! -s "$work/out" ]; }
# record NAME: the text record of NAME (from its name line up to the empty line).
record() { awk -v n="name: $1" '$0 == n {on=1} on {print} on && $0 == "" {exit}' "$work/out"; }
in_record() { record "$1" | grep -qxF -- "$2"; }
# field N KEY: a key of the N-th JSON line, as JSON.
field() { sed -n "$1p" "$work/out" | jq -c "$2"; }
value() { sed -n "$1p" "$work/out" | jq -r "$2"; }  # the same, decoded
offset_of() { grep -abo -- "$1" "$work/library.cat" | head -1 | cut -d: -f1; }
nothing_written() { [ -z "$(ls -A "$work/cwd")" ]; }

# --- text output, every layout, and the guess accepted ------------------------------------------
run --guess=accept library.cat STARCHRT.ZIP tideway.arj QUILTPAT.LZH MORSEKEY.ZIP ../library.cat
expect "text: missing catalogue path is relative to the working folder" test $status -eq 2
run --guess=accept "$work/library.cat" STARCHRT.ZIP tideway.arj QUILTPAT.LZH MORSEKEY.ZIP
expect "text: every name described" test $status -eq 0
expect "text: nothing on stderr without a terminal" quiet
expect "text: records in the order given" \
  test "$(grep '^name: ' "$work/out" | tr '\n' ,)" = "name: STARCHRT.ZIP,name: tideway.arj,name: QUILTPAT.LZH,name: MORSEKEY.ZIP,"
expect "text: four records, each ended by an empty line" test "$(grep -c '^$' "$work/out")" -eq 4
expect "spaced status" in_record STARCHRT.ZIP "status: found"
expect "spaced layout" in_record STARCHRT.ZIP "layout: spaced"
expect "spaced offset" in_record STARCHRT.ZIP "offset: $(offset_of '^STARCHRT.ZIP')"
expect "spaced title" in_record STARCHRT.ZIP "title:    Star Chart Printer for Dot-Matrix Printers"
expect "spaced keywords" in_record STARCHRT.ZIP "keywords:  ASTRONOMY STARS PRINTER CHART"
expect "spaced abstract, tidied" in_record STARCHRT.ZIP "abstract: Prints a map of the night sky for any date, time and latitude on an Epson-compatible dot-matrix printer. Constellation lines and names are optional; the bright-star list holds 1,600 stars down to magnitude 5."
expect "compact, name kept as given" in_record tideway.arj "layout: compact"
expect "compact title" in_record tideway.arj "title:    Tideway - tide tables for British ports"
expect "compact offset" in_record tideway.arj "offset: $(offset_of '^TIDEWAY.ARJ')"
expect "headed layout" in_record QUILTPAT.LZH "layout: headed"
expect "headed title" in_record QUILTPAT.LZH "title: Quilt Pattern Designer 2.1"
expect "headed keywords empty" in_record QUILTPAT.LZH "keywords: "
expect "guess accepted" in_record MORSEKEY.ZIP "status: guessed"
expect "guess layout" in_record MORSEKEY.ZIP "layout: guess"
expect "guess offset is the mentioning line" in_record MORSEKEY.ZIP "offset: $(offset_of '^MORSEKEY.ZIP')"
expect "guessed title" in_record MORSEKEY.ZIP "title: Morse code trainer with adjustable speed and Farnsworth spacing"
expect "guess: abstract as passed in" in_record MORSEKEY.ZIP "abstract: "
expect "nothing written but stdout and stderr" nothing_written

# --- exit status 1, guesses passed over, names differing in case, the empty name ----------------
run "$work/library.cat" MORSEKEY.ZIP NOSUCH.ZIP starchrt.zip STARCHRT.ZIP
expect "some not described" test $status -eq 1
expect "default without a terminal is skip" in_record MORSEKEY.ZIP "status: not-found"
expect "guess passed over is reported" in_record MORSEKEY.ZIP "passed over: $(offset_of '^MORSEKEY.ZIP') Morse code trainer with adjustable speed and Farnsworth spacing"
expect "not found" in_record NOSUCH.ZIP "status: not-found"
expect "not found has no title" bash -c "! awk '/^name: NOSUCH.ZIP/,/^\$/' '$work/out' | grep -q '^title:'"
expect "same search, both reported (lower)" in_record starchrt.zip "title:    Star Chart Printer for Dot-Matrix Printers"
expect "same search, both reported (upper)" in_record STARCHRT.ZIP "title:    Star Chart Printer for Dot-Matrix Printers"

printf 'NAME.ZIP\r\nBytes: 1 Count: 1\r\n\r\nno colon here\r\nNAME.ZIP\r\nBytes: 1 Count: 1\r\nTitle: t\r\nKeywords: k\r\n[1]\r\n' > "$work/damaged.cat"
run "$work/damaged.cat" name.zip
expect "unknown format then found" test $status -eq 0
expect "unknown format offset" in_record name.zip "unknown format: 0"
expect "found after it" in_record name.zip "offset: 46"

# --- JSON ------------------------------------------------------------------------------------------
run --json --guess=skip "$work/library.cat" STARCHRT.ZIP MORSEKEY.ZIP QUILTPAT.LZH NOSUCH.ZIP
expect "json: status 1" test $status -eq 1
expect "json: one object a line" test "$(jq -c . "$work/out" | wc -l)" -eq 4
expect "json: valid UTF-8" iconv -f UTF-8 -t UTF-8 "$work/out" -o /dev/null
expect "json: keys" test "$(field 1 keys_unsorted)" = '["name","status","layout","offset","title","keywords","abstract","unknown_formats","passed_over"]'
expect "json: name" test "$(field 1 .name)" = '"STARCHRT.ZIP"'
expect "json: status" test "$(field 1 .status)" = '"found"'
expect "json: layout" test "$(field 1 .layout)" = '"spaced"'
expect "json: offset" test "$(field 1 .offset)" = "$(offset_of '^STARCHRT.ZIP')"
expect "json: title" test "$(field 1 .title)" = '"   Star Chart Printer for Dot-Matrix Printers"'
expect "json: keywords" test "$(field 1 .keywords)" = '" ASTRONOMY STARS PRINTER CHART"'
expect "json: abstract" test "$(field 1 .abstract)" = '"Prints a map of the night sky for any date, time and latitude on an Epson-compatible dot-matrix printer. Constellation lines and names are optional; the bright-star list holds 1,600 stars down to magnitude 5."'
expect "json: no unknown formats" test "$(field 1 .unknown_formats)" = '[]'
expect "json: passed over" test "$(field 2 .passed_over)" = "[{\"offset\":$(offset_of '^MORSEKEY.ZIP'),\"title\":\"Morse code trainer with adjustable speed and Farnsworth spacing\"}]"
expect "json: passed over, not found" test "$(field 2 .status)" = '"not-found"'
expect "json: headed" test "$(field 3 .layout)" = '"headed"'
expect "json: not found has nulls" test "$(field 4 '[.layout,.offset,.title,.keywords,.abstract]')" = '[null,null,null,null,null]'

run --json --raw --guess=accept "$work/library.cat" STARCHRT.ZIP MORSEKEY.ZIP
expect "raw json: carriage return kept" test "$(field 1 .title)" = '"   Star Chart Printer for Dot-Matrix Printers\r"'
expect "raw json: abstract lines joined as stored" bash -c "jq -r '.abstract' <(sed -n 1p '$work/out') | grep -q \$'an\\rEpson-compatible'"
expect "raw json: guess" test "$(field 2 .title)" = '"Morse code trainer with adjustable speed and Farnsworth spacing\r"'

run --raw --guess=accept "$work/library.cat" STARCHRT.ZIP
expect "raw text: stored bytes" grep -qxF $'title:    Star Chart Printer for Dot-Matrix Printers\r' "$work/out"

# --- encodings -------------------------------------------------------------------------------------
printf 'CAFE.ZIP\r\nBytes: 1 Count: 1\r\nTitle: Caf\xe9 \x80 \xb0\x01\r\nKeywords: "q" \\ \x7f\r\n[1]\r\n' > "$work/high.cat"
run --json "$work/high.cat" cafe.zip
expect "cp437 by default" test "$(value 1 .title)" = $' Caf\u0398 \u00c7 \u2591\x01'
expect "json: control characters escaped" grep -qF '\u0001"' "$work/out"
expect "cp437: valid UTF-8" iconv -f UTF-8 -t UTF-8 "$work/out" -o /dev/null
expect "json: quotes, backslash and DEL" test "$(jq -r .keywords "$work/out")" = $' "q" \\ \x7f'
run --json --encoding=cp1252 "$work/high.cat" cafe.zip
expect "cp1252" test "$(value 1 .title)" = $' Caf\u00e9 \u20ac \u00b0\x01'
run --json --encoding latin1 "$work/high.cat" cafe.zip
expect "latin1" test "$(value 1 .title)" = $' Caf\u00e9 \u0080 \u00b0\x01'
run --encoding=cp1252 "$work/high.cat" cafe.zip
expect "text is decoded, control characters replaced" has $'title:  Caf\u00e9 \u20ac \u00b0\uFFFD'
run --json "$work/high.cat" $'caf\xe9'
expect "json: a name that is not UTF-8 is decoded too" test "$(value 1 .name)" = $'caf\u0398'

# --- names from a file and from standard input ----------------------------------------------------
printf 'STARCHRT.ZIP\r\n\nNOSUCH.ZIP\ntideway.arj' > "$work/names.txt"
run "$work/library.cat" --names "$work/names.txt" QUILTPAT.LZH
expect "names file: status" test $status -eq 1
expect "names file: order, arguments first, blank line skipped, CR dropped" \
  test "$(grep '^name: ' "$work/out" | tr '\n' ,)" = "name: QUILTPAT.LZH,name: STARCHRT.ZIP,name: NOSUCH.ZIP,name: tideway.arj,"
run_input 'STARCHRT.ZIP\ntideway.arj\n' --json --names - "$work/library.cat"
expect "names from stdin: status" test $status -eq 0
expect "names from stdin" test "$(jq -r .name "$work/out" | tr '\n' ,)" = "STARCHRT.ZIP,tideway.arj,"
run_input 'MORSEKEY.ZIP\n' --names=- "$work/library.cat"
expect "names from stdin: guesses skipped" in_record MORSEKEY.ZIP "status: not-found"
run_input 'MORSEKEY.ZIP\n' --guess=ask --names - "$work/library.cat"
expect "ask with names on stdin is refused" test $status -eq 2
expect "ask with names on stdin: message" said "catdesc: --guess=ask reads answers from standard input, which holds the names"
run "$work/library.cat" --names "$work/none.txt"
expect "names file missing" test $status -eq 2
expect "names file missing: message" said "catdesc: cannot open names file '$work/none.txt': No such file or directory"
run "$work/library.cat" --names "$work/folder"
expect "names file is a folder" test $status -eq 2
expect "names file is a folder: message" said "catdesc: cannot read names from '$work/folder': Is a directory"

# --- the question on the terminal ------------------------------------------------------------------
run_input 'n\n' --guess=ask "$work/library.cat" MORSEKEY.ZIP
expect "ask: No accepts" in_record MORSEKEY.ZIP "status: guessed"
expect "ask: the module's caption" said "== (?) Question =="
expect "ask: the module's text" grep -qF "Possible Title Found: " "$work/err"
expect "ask: says which name" grep -qF "catdesc: MORSEKEY.ZIP, mentioned in the line at byte $(offset_of '^MORSEKEY.ZIP')" "$work/err"
run_input 'y\n' --guess=ask "$work/library.cat" MORSEKEY.ZIP
expect "ask: Yes searches on" in_record MORSEKEY.ZIP "status: not-found"
expect "ask: Yes, reported as passed over" grep -q "^passed over: " "$work/out"

# --- failures --------------------------------------------------------------------------------------
run "$work/none.cat" STARCHRT.ZIP
expect "missing catalogue: status" test $status -eq 2
expect "missing catalogue: message" said "catdesc: cannot open catalogue '$work/none.cat': No such file or directory"
expect "missing catalogue: no output" silent
run "$work/folder" STARCHRT.ZIP
expect "folder as catalogue: status" test $status -eq 2
expect "folder as catalogue: message" said "catdesc: cannot open catalogue '$work/folder': Is a directory"
run
expect "no arguments" test $status -eq 2
expect "no arguments: message" said "catdesc: no catalogue given (see catdesc --help)"
run "$work/library.cat"
expect "no names" test $status -eq 2
expect "no names: message" said "catdesc: no names given (see catdesc --help)"
run --frobnicate "$work/library.cat" X
expect "unknown option" test $status -eq 2
expect "unknown option: message" said "catdesc: unknown option '--frobnicate' (see catdesc --help)"
run --guess=maybe "$work/library.cat" X
expect "bad guess mode" test $status -eq 2
run --encoding=utf7 "$work/library.cat" X
expect "bad encoding" test $status -eq 2
expect "usage errors write no output" silent
run "$work/library.cat" -- -dash
expect "a name after -- may start with a dash" has "name: -dash"
run --help
expect "help" test $status -eq 0
expect "help text" grep -q '^usage: catdesc \[options\] CATALOG NAME...' "$work/out"
expect "nothing written by any run" nothing_written

# --- the progress bar, on a terminal only ----------------------------------------------------------
head -c 3000000 /dev/zero | tr '\0' 'x' | fold -w 60 > "$work/big.cat"
run "$work/big.cat" NOSUCH.ZIP
expect "no progress bar without a terminal" quiet
if script -qec true /dev/null > /dev/null 2>&1; then
  script -qec "'$catdesc' --guess=skip '$work/big.cat' NOSUCH.ZIP < /dev/null" /dev/null > "$work/tty" 2>&1
  expect "progress bar on a terminal" grep -qa "catdesc: \[#*  *\] .*% .* of 2.9 MiB" "$work/tty"
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
