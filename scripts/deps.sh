#!/usr/bin/env bash
# Installs the packages the native build and its tests need (Debian, as root),
# and the MinGW-w64 cross compilers, Wine and a virtual X display for the
# Windows module and its tests, and clang with its fuzzing runtime for the
# libFuzzer run of scripts/test-fuzz.sh.
set -euo pipefail
need=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libpng-dev python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  binutils-mingw-w64-x86-64 googletest wine64 wine xvfb xauth
  clang libclang-rt-14-dev)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
