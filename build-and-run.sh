#!/usr/bin/env bash
# Builds the 32-bit Windows program and runs it under Wine. Installs whatever
# Debian packages are missing first. Without a DISPLAY it runs on a private Xvfb.
#
# For now (until the main window lands) the program is a console tool that
# prints one snapshot of the folders given as arguments (default: this folder).
set -eu
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
scripts/install-deps
. scripts/xvfb-session
cmake -S . -B build/win32-run -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DPARVEX_TESTS=OFF -DPARVEX_BENCH=OFF >/dev/null
cmake --build build/win32-run -j "$(nproc)"
[ -n "${DISPLAY:-}" ] || parvex_start_xvfb
[ $# -gt 0 ] || set -- "$(scripts/wine-run winepath -w "$root" 2>/dev/null | tr -d '\r')"
scripts/wine-run build/win32-run/src/app/parvex-snapshot.exe "$@"
