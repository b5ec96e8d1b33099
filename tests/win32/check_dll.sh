#!/usr/bin/env bash
# Checks what a Windows machine sees of the module before running it: the machine type, exactly
# the two entry points by name at ordinals 1 and 2, and imports from nothing but Windows system
# DLLs and the host's tarvlib.dll, of which exactly GetRegistryString and StripLF; and a version
# resource.
# usage: check_dll.sh OBJDUMP DLL i686|x86_64
set -euo pipefail
objdump=$1
dll=$2
arch=$3
dump=$("$objdump" -p "$dll")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

case "$arch" in
  i686) format=pei-i386 machine=014c ;;
  x86_64) format=pei-x86-64 machine=8664 ;;
  *) echo "unknown architecture $arch" >&2; exit 2 ;;
esac
grep -q "file format $format" <<<"$dump" || fail "not a $format image"
[ "$(od -An -tx2 -j $(( $(od -An -tu4 -j60 -N4 "$dll") + 4 )) -N2 "$dll" | tr -d ' ')" = "$machine" ] ||
  fail "PE machine is not $machine"

# Exports: ordinal base 1, two entries, named in this order.
exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && NF==0 {on=0} on' <<<"$dump" |
  sed -E 's/^\s*\[\s*([0-9]+)\]\s+/\1 /')
base=$(sed -nE 's/.*Ordinal Base ([0-9]+).*/\1/p' <<<"$dump")
count=$(sed -nE 's/^\s*Export Address Table\s+([0-9a-f]+)$/\1/p' <<<"$dump" | head -1)
[ "$base" = 1 ] || fail "ordinal base is '$base', not 1"
[ "$((16#${count:-0}))" -eq 2 ] || fail "export address table has $((16#${count:-0})) entries, not 2"
expected=$(printf '0 _SetupAssistant\n1 _StartAssist')
[ "$exports" = "$expected" ] || fail "exports by name differ: $(echo $exports)"

# Imports: every DLL named, and what is taken from tarvlib.dll.
dlls=$(sed -nE 's/^\s*DLL Name: (.*)$/\1/p' <<<"$dump")
system='^(kernel32|user32|gdi32|comdlg32|advapi32|msvcrt|ntdll|shell32|ole32)\.dll$'
while read -r name; do
  [ -z "$name" ] && continue
  lower=$(tr 'A-Z' 'a-z' <<<"$name")
  if [ "$lower" != tarvlib.dll ] && ! grep -Eq "$system" <<<"$lower"; then
    fail "imports from $name, which a Windows machine does not have"
  fi
done <<<"$dlls"
tarvlib=$(awk '/DLL Name: tarvlib.dll/ {on=1; next} on && /DLL Name:/ {on=0} on && NF==3 && $1 ~ /^[0-9a-f]+$/ {print $3}' <<<"$dump" | sort)
[ "$tarvlib" = "$(printf 'GetRegistryString\nStripLF')" ] ||
  fail "imports from tarvlib.dll: $(echo ${tarvlib:-none})"

# The version resource a host or the file's properties show (texts in UTF-16).
resources=$(strings -el "$dll")
grep -qx "Catalogue Assistant" <<<"$resources" || fail "no product name in a version resource"
grep -q "^FileVersion$" <<<"$resources" || fail "no file version in a version resource"

echo "DLLs: $(echo $dlls)"
echo "exports: $(echo $exports)"
exit $((failures > 0))
