# Sourced, never run: the Windows side of the scripts. Which Windows build this
# machine can run, where each build and its parvex.exe live, how a build folder
# is configured, the Wine loader, architecture and prefix that run a build, and a
# private Xvfb display. Everything that starts Wine or Xvfb comes through here,
# and whatever a script starts here is stopped when that script exits, whether
# it passed or failed.
#
# The product is the 32-bit build (i686). Some machines cannot run 32-bit code at
# all (the kernel's IA-32 emulation is off), and then neither can the 32-bit Wine
# loader; the same sources built for x86_64 run under 64-bit Wine instead.

parvex_root=${PARVEX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
parvex_wine32_loader=/usr/lib/wine/wine
parvex_wine64_loader=/usr/lib/wine/wine64

# Tries a 32-bit Linux program of 95 bytes that exits with status 42; no i386
# package is needed for it. Succeeds only when it really ran.
parvex_can_run_32bit() {
  local probe status
  probe=$(mktemp /tmp/parvex-ia32-XXXXXX) || return 1
  # ELF header, one loadable segment, then: xor ebx,ebx; mov bl,42; mov eax,1; int 0x80
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
  printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
  printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >>"$probe"
  printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$probe"
  printf '\137\000\000\000\137\000\000\000\005\000\000\000\000\020\000\000' >>"$probe"
  printf '\061\333\263\052\270\001\000\000\000\315\200' >>"$probe"
  chmod +x "$probe"
  status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

# Sets PARVEX_WIN_ARCH (i686 or x86_64) and PARVEX_WIN_REASON, once per script.
# A PARVEX_WIN_ARCH given by the caller is kept.
parvex_choose_windows_build() {
  if [ -n "${PARVEX_WIN_ARCH:-}" ]; then
    PARVEX_WIN_REASON=${PARVEX_WIN_REASON:-PARVEX_WIN_ARCH was set to $PARVEX_WIN_ARCH}
    export PARVEX_WIN_ARCH PARVEX_WIN_REASON
    return 0
  fi
  if ! parvex_can_run_32bit; then
    PARVEX_WIN_ARCH=x86_64
    PARVEX_WIN_REASON="this machine cannot run 32-bit programs (a 32-bit probe did not start), so the 32-bit Wine loader cannot either"
  elif ! [ -x "$parvex_wine32_loader" ]; then
    PARVEX_WIN_ARCH=x86_64
    PARVEX_WIN_REASON="the 32-bit Wine loader ($parvex_wine32_loader) is not installed"
  elif ! "$parvex_wine32_loader" --version >/dev/null 2>&1; then
    PARVEX_WIN_ARCH=x86_64
    PARVEX_WIN_REASON="the 32-bit Wine loader ($parvex_wine32_loader) does not start"
  else
    PARVEX_WIN_ARCH=i686
    PARVEX_WIN_REASON="this machine runs 32-bit programs and the 32-bit Wine loader starts"
  fi
  export PARVEX_WIN_ARCH PARVEX_WIN_REASON
}

# --- Where each architecture's build lives -----------------------------------

# The Windows name of an architecture (win32, win64): it names the build folder
# and the Wine prefixes, so the two architectures never share either.
parvex_win_name() {
  case "$1" in
    i686) echo win32 ;;
    x86_64) echo win64 ;;
    *)
      echo "unknown Windows architecture: $1 (i686 or x86_64)" >&2
      return 1
      ;;
  esac
}

# The build folder of an architecture, relative to the source root:
# build/win32 or build/win64. A FLAVOUR names a folder beside it configured
# otherwise (build-and-run.sh builds the program alone in build/win32-run).
# Usage: parvex_build_dir ARCH [FLAVOUR]
parvex_build_dir() {
  local name
  name=$(parvex_win_name "$1") || return 1
  echo "build/$name${2:+-$2}"
}

# The parvex.exe an architecture's build folder makes.
# Usage: parvex_exe ARCH [FLAVOUR]
parvex_exe() {
  local dir
  dir=$(parvex_build_dir "$@") || return 1
  echo "$dir/src/app/parvex.exe"
}

# The CMake toolchain file of an architecture (CMake finds it from the source root).
parvex_toolchain() { echo "cmake/mingw-$1.cmake"; }

# Configures a build folder for one architecture: MinGW, Release, Ninja. Every
# Windows build folder is configured here; callers add their own options.
# Usage: parvex_configure_windows ARCH DIR [cmake options...]
parvex_configure_windows() {
  local arch=$1 dir=$2
  shift 2
  parvex_win_name "$arch" >/dev/null || return 1
  cmake -S "$parvex_root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(parvex_toolchain "$arch")" \
    -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

# The architecture a Windows executable was built for, from its PE header.
parvex_pe_arch() {
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
  [ -n "$offset" ] || return 1
  machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case "$machine" in
    014c) echo i686 ;;
    8664) echo x86_64 ;;
    *) return 1 ;;
  esac
}

# --- Wine ----------------------------------------------------------------------

# Exports the loader, architecture and prefix for running programs of one
# architecture. The two architectures keep prefixes of their own;
# PARVEX_WINEPREFIX_WIN32 and PARVEX_WINEPREFIX_WIN64 put them elsewhere.
parvex_wine_env() {
  local name
  name=$(parvex_win_name "$1") || return 1
  case "$1" in
    i686)
      export WINELOADER=$parvex_wine32_loader WINEARCH=win32
      export WINEPREFIX=${PARVEX_WINEPREFIX_WIN32:-$parvex_root/build/wine-prefix-$name}
      ;;
    x86_64)
      export WINELOADER=$parvex_wine64_loader WINEARCH=win64
      export WINEPREFIX=${PARVEX_WINEPREFIX_WIN64:-$parvex_root/build/wine-prefix-$name}
      ;;
  esac
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko: the program needs neither, and their installers would prompt.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
}

# Creates the prefix of an architecture (by default the chosen one) once and
# keeps its server running until the script exits, so each test does not pay
# Wine's start-up again. Fails, saying why, when the prefix cannot be made.
# Usage: parvex_start_wine [ARCH]
parvex_start_wine() {
  local arch=${1:-} log status ours=""
  if [ -z "$arch" ]; then
    parvex_choose_windows_build
    arch=$PARVEX_WIN_ARCH
  fi
  parvex_wine_env "$arch" || return 1
  parvex_cleanup_on_exit
  if ! mkdir -p "$WINEPREFIX"; then
    echo "Wine did not start: cannot make the prefix folder $WINEPREFIX." >&2
    return 1
  fi
  # The server first, kept running: wineboot then uses it, and a server that
  # wineboot started would go away seconds after it.
  status=0
  wineserver -p 2>/dev/null || status=$?
  # 2: a server of this prefix already runs, which this script did not start and
  # so leaves alone.
  if [ "$status" -ne 0 ] && [ "$status" -ne 2 ]; then
    echo "Wine did not start: the Wine server of $WINEPREFIX did not start (wineserver -p: exit status $status)." >&2
    echo "What to do: run scripts/install-deps (Wine for $arch must be installed), then run again." >&2
    return 1
  fi
  if [ "$status" -eq 0 ]; then
    ours=1
    parvex_remember_prefix "$WINEPREFIX"
  fi
  log=$(mktemp /tmp/parvex-wineboot-XXXXXX) || return 1
  status=0
  "$WINELOADER" wineboot -i >"$log" 2>&1 || status=$?
  # (The registry files appear only when the server saves them: no sign of failure.)
  if [ "$status" -ne 0 ]; then
    echo "Wine did not start: '$WINELOADER wineboot -i' could not make the $WINEARCH prefix $WINEPREFIX" \
      "(exit status $status). Its last words:" >&2
    tail -n 15 "$log" | sed 's/^/  /' >&2
    echo "What to do: run scripts/install-deps (Wine for $arch must be installed), or delete $WINEPREFIX" \
      "if it was made by another Wine or for the other architecture, then run again." >&2
    rm -f "$log"
    if [ -n "$ours" ]; then parvex_stop_wine "$WINEPREFIX"; fi
    return 1
  fi
  rm -f "$log"
}

parvex_remember_prefix() {
  case " ${PARVEX_WINE_PREFIXES_STARTED[*]-} " in
    *" $1 "*) ;;
    *) PARVEX_WINE_PREFIXES_STARTED+=("$1") ;;
  esac
}

# Stops the Wine server of a prefix (by default the current one) and every
# Windows program still running in it, and waits until they are gone.
parvex_stop_wine() {
  local prefix=${1:-${WINEPREFIX:-}} kept=() p
  [ -n "$prefix" ] || return 0
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
  for p in ${PARVEX_WINE_PREFIXES_STARTED[@]+"${PARVEX_WINE_PREFIXES_STARTED[@]}"}; do
    if [ "$p" != "$prefix" ]; then kept+=("$p"); fi
  done
  PARVEX_WINE_PREFIXES_STARTED=(${kept[@]+"${kept[@]}"})
  return 0
}

# --- Xvfb ------------------------------------------------------------------------

# Starts a private Xvfb display, once per script, unless one is given in
# PARVEX_DISPLAY. Fails, saying why, when no display could be started.
parvex_start_xvfb() {
  if [ -n "${PARVEX_DISPLAY:-}" ]; then
    export DISPLAY=$PARVEX_DISPLAY
    return 0
  fi
  if [ -n "${PARVEX_XVFB_PID:-}" ] && kill -0 "$PARVEX_XVFB_PID" 2>/dev/null; then
    return 0
  fi
  parvex_cleanup_on_exit
  local n=90 tries pid
  for tries in 1 2 3 4 5 6 7 8; do
    while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    # Another script may take the same number at the same moment: the display is
    # ours only when its lock file names our Xvfb.
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break
      if [ -e /tmp/.X11-unix/X$n ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ]; then
        PARVEX_XVFB_PID=$pid
        export DISPLAY=:$n
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    n=$((n + 1))
  done
  echo "Xvfb did not start (tried displays up to :$((n - 1))); is the xvfb package installed (scripts/install-deps)?" >&2
  return 1
}

parvex_stop_xvfb() {
  [ -n "${PARVEX_XVFB_PID:-}" ] || return 0
  kill "$PARVEX_XVFB_PID" 2>/dev/null || true
  wait "$PARVEX_XVFB_PID" 2>/dev/null || true
  PARVEX_XVFB_PID=""
  return 0
}

# --- Stopping what a script started ----------------------------------------------

# Commands a script adds (parvex_on_exit) run first, newest first; then the Wine
# servers and the display this library started are stopped.
parvex_on_exit() {
  parvex_cleanup_on_exit
  PARVEX_EXIT_COMMANDS=("$1" ${PARVEX_EXIT_COMMANDS[@]+"${PARVEX_EXIT_COMMANDS[@]}"})
}

parvex_cleanup() {
  local status=$? c p
  trap - EXIT INT TERM HUP
  for c in ${PARVEX_EXIT_COMMANDS[@]+"${PARVEX_EXIT_COMMANDS[@]}"}; do eval "$c" || true; done
  for p in ${PARVEX_WINE_PREFIXES_STARTED[@]+"${PARVEX_WINE_PREFIXES_STARTED[@]}"}; do parvex_stop_wine "$p"; done
  parvex_stop_xvfb
  return $status
}

# Once per script. An interrupted script exits through the same clean-up.
parvex_cleanup_on_exit() {
  [ -n "${PARVEX_CLEANUP_SET:-}" ] && return 0
  PARVEX_CLEANUP_SET=1
  trap parvex_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 129' HUP
}
