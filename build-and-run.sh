#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine: the 32-bit product where
# this machine can run 32-bit Wine, else the same sources built for x86_64 under
# 64-bit Wine. Installs whatever Debian packages are missing first. Without a
# DISPLAY it runs on a private Xvfb.
set -eu
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
scripts/install-deps
. scripts/xvfb-session
parvex_choose_windows_build
[ "$PARVEX_WIN_ARCH" = i686 ] && dir=build/win32-run || dir=build/win64-run
echo "Running the $PARVEX_WIN_ARCH build: $PARVEX_WIN_REASON."
cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(parvex_toolchain "$PARVEX_WIN_ARCH")" \
  -DCMAKE_BUILD_TYPE=Release -DPARVEX_TESTS=OFF -DPARVEX_BENCH=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target parvex
[ -n "${DISPLAY:-}" ] || parvex_start_xvfb
scripts/wine-run "$dir/src/app/parvex.exe"
