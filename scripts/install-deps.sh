#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing and we are root.
# Usage: scripts/install-deps.sh GROUP...   (groups: linux, hostile, catdesc, windows, bench, all)
set -euo pipefail

packages=()
groups=("${@:-linux}")
# The whole test command builds for Windows too.
[[ " ${groups[*]} " == *" all "* ]] && groups+=(windows)
for group in "${groups[@]}"; do
  case "$group" in
    linux) packages+=(cmake g++ make googletest libgtest-dev libgmock-dev binutils) ;;
    # Fuzzing (clang with its libFuzzer runtime) and the trace that proves nothing is written.
    hostile) packages+=(clang libclang-rt-14-dev strace) ;;
    all) packages+=(cmake g++ make googletest libgtest-dev libgmock-dev binutils strace clang-tidy clang-format)
         packages+=(jq) # catdesc's end-to-end test reads its JSON with jq
         packages+=(clang libclang-rt-14-dev) ;;
    catdesc) packages+=(jq) ;;
    # The scan benchmark's peers and its memory figures (bench/run.sh); not needed by the tests.
    bench) packages+=(ripgrep time grep coreutils) ;;
    # Windows builds: the mingw-w64 cross compilers, 64-bit Wine to run them, Xvfb for a screen.
    windows) packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest wine64 libwine fonts-wine
                        xvfb xauth python3) ;;
    *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
echo "installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
