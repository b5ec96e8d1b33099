#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets from the example catalogue and a few small made-up
# catalogues (every layout, both line ends, long lines, damaged entries). Run by hand when the
# input formats of the targets change; the seeds are kept in fuzz/corpus/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
corpus=$here/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -f "$corpus"/*/seed-*
mkdir -p "$corpus/reader_fuzz" "$corpus/scan_fuzz" "$corpus/assist_fuzz"

# Catalogues: name, content.
cp "$here/../examples/library.cat" "$work/library"
printf 'name.zip\nBytes: 10 Count: 2\nTitle: Compact\nKeywords: k\nAbstract one.\n[1] end\n' \
  > "$work/compact-lf"
printf 'NAME.ZIP\r\nsize\r\nHeaded Title\r\n%s' "$(for i in 1 2 3 4 5 6 7 8 9 10 11; do printf 'l%d\r\n' "$i"; done)" \
  > "$work/headed-crlf"
printf 'Abstract\r\nText of it.\r\n--------------------\r\n' >> "$work/headed-crlf"
{ head -c 198 /dev/zero | tr '\0' 'x'; printf '\n'; head -c 199 /dev/zero | tr '\0' 'y'
  printf 'NAME.ZIP\n'; head -c 250 /dev/zero | tr '\0' 'z'; printf '\nNAME.ZIP\n'; } > "$work/long-lines"
printf 'NAME.ZIP  1 2 Guessed title words here\r\nother.arj 3 4 Another title\r\nname.zip\r\n' \
  > "$work/title-only"
printf 'NAME.ZIP\r\nBytes: 1 Count: 1\r\n\r\nno colon\r\nNAME.ZIP\r\nBytes: 1 Count: 1\r\nT: t\r\nKeywords: k\r\nx] [2\r\n' \
  > "$work/damaged"
printf 'NAME.ZIP\rBytes: 1 Count: 1\rTitle: cr only\r\x1a\x00\xff\x80NAME.ZIP\n' > "$work/odd-bytes"

# reader_fuzz: lead byte, 2-byte length, content, then operations (see reader_fuzz.cpp).
ops=''
for _ in 1 2 3 4 5 6; do
  ops+='\x04\x00\xc7\x07\x01\x06\x03\x05\x00\x4f\x06\x06\x03\x04\x00\xc7\x01'
done
ops+='\x02\x00\x40\x04\x00\xc7\x02\x10\x60\x04\x00\xc7\x06\x00\x01\x04\x00\x00\x00\x00\x04\x00\xc7'
for cat in "$work"/*; do
  base=$(basename "$cat")
  size=$(head -c 4095 "$cat" | wc -c)
  for lead in '\x00' '\x90'; do
    { printf "$lead"; printf "\\x$(printf %02x $((size >> 8)))\\x$(printf %02x $((size & 255)))"
      head -c 4095 "$cat"; printf "$ops"; } > "$corpus/reader_fuzz/seed-$base-$( [ "$lead" = '\x00' ] && echo a || echo b)"
  done
done

# scan_fuzz: name line, 4 answer bytes, 2 bytes of abstract already held, 3 bytes of parse offset,
# catalogue.
for cat in "$work"/*; do
  base=$(basename "$cat")
  for name in NAME.ZIP STARCHRT.ZIP TIDEWAY.ARJ QUILTPAT.LZH MORSEKEY.ZIP; do
    { printf '%s\n' "$name"; printf '\x55\xaa\x0f\xf0\x00\x10\x00\x00\x20'; cat "$cat"; } \
      > "$corpus/scan_fuzz/seed-$base-$name"
  done
done

# assist_fuzz: name line, dialog choice, 2-byte error, 2-byte shrink size, setting kind, 2-byte
# setting length, 2-byte abstract, keywords and title lengths, answer count and answers, catalogue.
for cat in "$work"/*; do
  base=$(basename "$cat")
  for choice in 0 1 2 3 4 5; do
    { printf 'name.zip\n'; printf "\\x0$choice"'\x30\x03\x00\x80\x01\x00\x40\x00\x00\x00\x00\x03\x02\x01\x03'
      cat "$cat"; } > "$corpus/assist_fuzz/seed-$base-$choice"
  done
done
ls "$corpus"/* | wc -l
