#!/usr/bin/env bash
# The set-up script's decisions against stand-ins for apt-get and dpkg: an index
# update that fails, a 32-bit loader that the newest versions cannot resolve or
# that cannot be had at all, and the plain case. Nothing is installed for real.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/parvex-install-deps-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

# apt-get: logs each call; "update" fails while $work/update-failures counts
# down; "install" fails for packages named in $work/never, and for those in
# $work/newest-breaks unless the base release is the target.
cat >"$work/bin/apt-get" <<'SH'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STANDIN/log"
case "$1" in
  update)
    n=$(cat "$STANDIN/update-failures" 2>/dev/null || echo 0)
    [ "$n" -gt 0 ] && { echo $((n - 1)) >"$STANDIN/update-failures"; echo "E: File has unexpected size"; exit 100; }
    exit 0 ;;
  install)
    shift
    target=""
    pkgs=()
    while [ $# -gt 0 ]; do
      case "$1" in -t) target=$2; shift ;; -*) ;; *) pkgs+=("$1") ;; esac
      shift
    done
    for p in "${pkgs[@]}"; do
      grep -qx "$p" "$STANDIN/never" 2>/dev/null && { echo "E: Unable to correct problems"; exit 100; }
      [ -z "$target" ] && grep -qx "$p" "$STANDIN/newest-breaks" 2>/dev/null && { echo "E: pkgProblemResolver::Resolve generated breaks"; exit 100; }
    done
    printf '%s\n' "${pkgs[@]}" >>"$STANDIN/installed"
    exit 0 ;;
esac
SH
cat >"$work/bin/dpkg" <<'SH'
#!/usr/bin/env bash
case "$1" in
  -s) grep -qx "$2" "$STANDIN/installed" 2>/dev/null ;;
  --print-foreign-architectures) cat "$STANDIN/arches" 2>/dev/null; exit 0 ;;
  --add-architecture) echo "dpkg $*" >>"$STANDIN/log"; echo "$2" >>"$STANDIN/arches" ;;
esac
SH
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/"*

passed=0
failed=0
# Usage: run NAME 32BIT(yes|no) EXPECTED-EXIT [setup: "file=content" ...]; then checks with expect/absent.
run() {
  name=$1
  export STANDIN="$work/$name"
  mkdir -p "$STANDIN"
  shift 3
  for setting in "$@"; do printf '%b\n' "${setting#*=}" >"$STANDIN/${setting%%=*}"; done
}
go() {
  local bits=$1 want=$2 status=0
  PATH="$work/bin:$PATH" PARVEX_RUNS_32BIT=$bits PARVEX_APT_UPDATE_PAUSE=0 \
    bash "$root/scripts/install-deps" >"$STANDIN/out" 2>&1 || status=$?
  check "$status" = "$want" "exit status $status, wanted $want"
}
check() {
  if [ "$1" "$2" "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1))
    echo "FAILED $name: $4"
    sed 's/^/  | /' "$STANDIN/out"
  fi
}
count() { if [ -f "$STANDIN/$1" ]; then grep -c -- "$2" "$STANDIN/$1"; else echo 0; fi; }
said() { grep -q -- "$1" "$STANDIN/out" && echo yes || echo no; }

run fine yes 0 arches=i386
go yes 0
check "$(count log '^apt-get update')" = 1 "one index update"
check "$(count installed '^wine32:i386$')" = 1 "32-bit loader installed"
check "$(count log 'install.*-t ')" = 0 "no fall-back to the base release"

run update-fails-once yes 0 update-failures=1 arches=i386
go yes 0
check "$(count log '^apt-get update')" = 2 "the update tried again"
check "$(count installed '^cmake$')" = 1 "packages installed after the retry"

run update-keeps-failing no 0 update-failures=9
go no 0
check "$(count log '^apt-get update')" = 3 "three tries"
check "$(said 'going on with the package index as it is')" = yes "says it goes on"
check "$(count installed '^wine$')" = 1 "installed with the index as it is"
check "$(count log 'wine32')" = 0 "no 32-bit loader where 32-bit programs cannot run"

run loader-needs-base-release yes 0 newest-breaks=wine32:i386
go yes 0
check "$(count log 'install .*-t [a-z].* wine32:i386')" = 1 "32-bit loader tried at the base release"
check "$(count log 'dpkg --add-architecture i386')" = 1 "i386 enabled"
check "$(count log '^apt-get update')" = 2 "the index updated again for i386"
check "$(count installed '^wine32:i386$')" = 1 "and installed so"
check "$(count installed '^ninja-build$')" = 1 "the rest installed before it"

run loader-not-to-be-had yes 0 'never=wine32:i386'
go yes 0
check "$(said 'could not be installed.*x86_64 build')" = yes "says why and what runs instead"
check "$(count installed '^xvfb$')" = 1 "everything else installed"

run nothing-installable no 1 'never=cmake'
go no 1
check "$(said 'could not install')" = yes "a real failure is one"

run all-there no 0 "installed=$(printf '%s\\n' cmake ninja-build ccache g++ clang libclang-rt-14-dev googletest \
  g++-mingw-w64-i686-posix mingw-w64-i686-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64 xvfb \
  x11-utils imagemagick python3 python3-aiosmtpd nlohmann-json3-dev fonts-liberation ghostscript poppler-utils nsis zip \
  unzip)"
go no 0
check "$(count log 'apt-get')" = 0 "nothing to do asks apt nothing"

echo "install-deps: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
