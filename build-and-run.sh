#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine: the 32-bit product where
# this machine can run 32-bit Wine, else the same sources built for x86_64 under
# 64-bit Wine. Installs whatever Debian packages are missing first. Without a
# DISPLAY it runs on a private Xvfb. The Wine server and the Xvfb it starts are
# stopped when the program ends.
set -eu
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
scripts/install-deps
. scripts/lib/windows-env.sh
parvex_choose_windows_build
# A folder of its own: the program alone, without the tests and benchmarks.
dir=$(parvex_build_dir "$PARVEX_WIN_ARCH" run)
echo "Running the $PARVEX_WIN_ARCH build: $PARVEX_WIN_REASON."
parvex_configure_windows "$PARVEX_WIN_ARCH" "$dir" -DPARVEX_TESTS=OFF -DPARVEX_BENCH=OFF
cmake --build "$dir" -j "$(nproc)" --target parvex
[ -n "${DISPLAY:-}" ] || parvex_start_xvfb
parvex_start_wine
scripts/wine-run "$(parvex_exe "$PARVEX_WIN_ARCH" run)"
