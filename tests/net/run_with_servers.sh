#!/usr/bin/env bash
# Starts the fault-injecting and the aiosmtpd test servers on loopback, runs a
# Windows test executable under Wine with their folder in PARVEX_NET_SERVER_DIR,
# and stops the servers by PID.
# Usage: run_with_servers.sh <source dir> <exe> [args...]
set -u
root=$1
shift
python=/usr/bin/python3
dir=$(mktemp -d /tmp/parvex-net-XXXXXX)
pids=()
stop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$dir"
}
trap stop EXIT
"$python" "$root/tests/net/servers/fault_smtp.py" --dir "$dir" --time-limit 1200 &
pids+=($!)
"$python" "$root/tests/net/servers/sink_smtp.py" --dir "$dir" --time-limit 1200 &
pids+=($!)
for _ in $(seq 150); do
  [ -f "$dir/ports" ] && [ -f "$dir/sink.port" ] && break
  sleep 0.1
done
if ! [ -f "$dir/ports" ] || ! [ -f "$dir/sink.port" ]; then
  echo "test servers did not start"
  exit 1
fi
# The load tests' folder of many entries is made here, on the Linux side: Wine
# creates each file in a large folder ever more slowly.
if [ -n "${PARVEX_BIG_FOLDER_ENTRIES:-}" ]; then
  "$python" - "$dir/big" "$PARVEX_BIG_FOLDER_ENTRIES" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
os.makedirs(folder)
for i in range(count):
    open(os.path.join(folder, "entry-%d.dat" % (100000 + i)), "w").close()
PY
fi
export PARVEX_NET_SERVER_DIR="Z:$dir"
# Wine's Simple MAPI hands mail to the desktop's composer (xdg-email, found on
# PATH); the stand-in records what it is given in the same folder.
export PATH="$root/tests/e2e/stand-ins:$PATH" PARVEX_XDG_EMAIL_DIR="$dir"
"$root/scripts/wine-run" "$@"
