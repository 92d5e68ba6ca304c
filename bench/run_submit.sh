#!/usr/bin/env bash
# Submission benchmark: builds Release in build-bench/ (shared with
# run_codec.sh) and runs submit_bench.py with that vorn against curl.
# Extra arguments go to submit_bench.py (e.g. --repeat 40,20,10,5). It prints
# vorn, curl and curl -T side by side at 10 KB, 1 MB, 5 MB and 50 MB, every
# ratio, and one line per goal with its figure.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$("$here/build_release.sh")"
exec python3 "$here/submit_bench.py" --vorn "$build/cli/vorn" "$@"
