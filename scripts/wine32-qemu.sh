#!/usr/bin/env bash
# Runs the Wine end-to-end tests against the module as shipped: the win32 (i686) build, under
# 32-bit Wine. Not part of the test command.
#
# A 64-bit kernel without 32-bit support cannot start 32-bit Linux programs such as 32-bit Wine's
# loader; with qemu-user-static registered in binfmt_misc the kernel hands them to qemu-i386.
# This script, run as root on Debian 12, adds the i386 architecture, installs wine32 and
# qemu-user-static, registers the i386 handler and runs the tests. Expect Wine's first start to
# take several minutes under emulation. Where the kernel runs 32-bit programs itself, only wine32
# is needed and qemu is never used.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt-get update -qq
  fi
  need=()
  for p in wine32:i386 qemu-user-static binfmt-support; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
  done
  [ ${#need[@]} -eq 0 ] || apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  # binfmt_misc must be mounted for the kernel to find the handler.
  [ -e /proc/sys/fs/binfmt_misc/status ] ||
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || true
  update-binfmts --enable qemu-i386 2>/dev/null || true
fi
bash scripts/install-deps.sh windows

wine32=/usr/lib/wine/wine
[ -x "$wine32" ] || { echo "no 32-bit Wine at $wine32 (install wine32:i386)" >&2; exit 1; }

cmake --preset win32 >/dev/null
cmake --build --preset win32
build=build/win32
export WINE=$wine32 WINEARCH=win32 WINE_BOOT_TIMEOUT=3600
bash tests/win32/wine_run.sh --prefix "$build/wineprefix32" --boot
bash tests/win32/wine_run.sh --prefix "$build/wineprefix32" --display "$build/catassist-e2e.exe" \
  "$root/$build" "$root/examples/library.cat" --host "$root/$build/assist-host.exe"
