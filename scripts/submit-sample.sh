#!/usr/bin/env bash
# Sets up the machine, builds vorn, starts the local test hub on loopback and
# submits the sample invoice to it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Debug >/dev/null

work="$(mktemp -d)"
trap 'kill "$hub_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
# The hub prints one line with its port when it is ready.
coproc HUB { exec python3 "$root/tests/hub/hub.py" --record-dir "$work" --lifetime 120; }
hub_pid=$HUB_PID
read -r ready <&"${HUB[0]}"
port="$(python3 -c 'import json,sys; print(json.loads(sys.argv[1])["port"])' "$ready")"

echo "\$ vorn demo demo examples/IT01234567890_FPR99.xml 0 1"
VORN_URL="http://127.0.0.1:$port/Service.svc" \
  "$root/build/cli/vorn" demo demo "$root/examples/IT01234567890_FPR99.xml" 0 1
