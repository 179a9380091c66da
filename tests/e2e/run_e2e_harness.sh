#!/usr/bin/env bash
# The end-to-end harness: sets up the Linux side that Windows tests under Wine
# cannot set up themselves, runs one test executable under Wine, and takes it
# all down again, passed or failed. It
#  - starts the fault-injecting and the aiosmtpd SMTP servers on loopback, their
#    folder in PARVEX_NET_SERVER_DIR (as a Wine path), with TLS where openssl
#    made the test certificates, and then the OAuth 2.0 authorization server;
#  - makes the load tests' big folder there when PARVEX_BIG_FOLDER_ENTRIES is set,
#    and a folder "colliding" of names that differ only as the locale ignores;
#  - puts the MAPI stand-in (tests/e2e/stand-ins) first on PATH;
#  - runs the executable with scripts/wine-run.
# CTest starts it for e2e_tests and for net_tests_live, inside the Xvfb and Wine
# server that the calling script started.
# Usage: run_e2e_harness.sh <source dir> <exe> [args...]
set -u
root=$1
shift
. "$root/scripts/lib/windows-env.sh"
python=/usr/bin/python3
dir=$(mktemp -d /tmp/parvex-net-XXXXXX)
pids=()
stop_servers() {
  local pid
  for pid in ${pids[@]+"${pids[@]}"}; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$dir"
}
parvex_on_exit stop_servers
# The test CA and server certificates for the SMTP client's TLS tests (ca.der
# is what a test imports into the prefix's trusted roots for its run).
certs=()
if bash "$root/tests/net/servers/make_test_certs.sh" "$dir"; then certs=(--certs "$dir/certs"); fi
"$python" "$root/tests/net/servers/fault_smtp.py" --dir "$dir" --time-limit 1200 ${certs[@]+"${certs[@]}"} &
pids+=($!)
"$python" "$root/tests/net/servers/sink_smtp.py" --dir "$dir" --time-limit 1200 ${certs[@]+"${certs[@]}"} &
pids+=($!)
if [ ${#certs[@]} -gt 0 ]; then
  "$python" "$root/tests/net/servers/oauth_server.py" --dir "$dir" --time-limit 1200 --certs "$dir/certs" &
  pids+=($!)
fi
for _ in $(seq 150); do
  [ -f "$dir/ports" ] && [ -f "$dir/sink.port" ] && { [ ${#certs[@]} -eq 0 ] || [ -f "$dir/oauth.port" ]; } && break
  sleep 0.1
done
if ! [ -f "$dir/ports" ] || ! [ -f "$dir/sink.port" ]; then
  echo "test servers did not start"
  exit 1
fi
# The load tests' folder of many entries is made here, on the Linux side: Wine
# creates each file in a large folder ever more slowly.
if [ -n "${PARVEX_BIG_FOLDER_ENTRIES:-}" ]; then
  "$python" - "$dir/big" "$PARVEX_BIG_FOLDER_ENTRIES" <<'PY' || { echo "the big folder was not made"; exit 1; }
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
os.makedirs(folder)
for i in range(count):
    open(os.path.join(folder, "entry-%d.dat" % (100000 + i)), "w").close()
PY
fi
# Names that the locale's order calls equal, letter case among them, which a
# Windows program cannot make side by side (Wine finds the other one).
"$python" - "$dir/colliding" <<'PY' || { echo "the folder of colliding names was not made"; exit 1; }
import os, sys
os.makedirs(sys.argv[1])
for name in ("Stra\u00dfe.txt", "Strasse.txt", "Report.txt", "report.txt"):
    with open(os.path.join(sys.argv[1], name), "w") as f:
        f.write(name)
PY
export PARVEX_NET_SERVER_DIR="Z:$dir"
# Wine's Simple MAPI hands mail to the desktop's composer (xdg-email, found on
# PATH); the stand-in records what it is given in the same folder.
export PATH="$root/tests/e2e/stand-ins:$PATH" PARVEX_XDG_EMAIL_DIR="$dir"
"$root/scripts/wine-run" "$@"
