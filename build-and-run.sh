#!/usr/bin/env bash
# Builds the 32-bit Windows program and runs it under Wine. Installs whatever
# Debian packages are missing first. Without a DISPLAY it runs on a private Xvfb.
set -eu
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
scripts/install-deps
. scripts/xvfb-session
cmake -S . -B build/win32-run -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DPARVEX_TESTS=OFF -DPARVEX_BENCH=OFF >/dev/null
cmake --build build/win32-run -j "$(nproc)" --target parvex
[ -n "${DISPLAY:-}" ] || parvex_start_xvfb
scripts/wine-run build/win32-run/src/app/parvex.exe
