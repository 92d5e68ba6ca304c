#!/usr/bin/env bash
# The long fuzz run: every libFuzzer target for at least RUNS executions
# (default 10 million), one target after another, each on a fresh copy of
# its seeds; prints executions, rate, coverage and findings per target and
# exits 1 on any finding (see fuzz/run.sh for where findings are left).
#
#   fuzz/run_long.sh [RUNS] [TARGET...]
#
# One core per target at a time. At the rates of an idle two-core machine
# the whole run takes a few hours; set VORN_FUZZ_MAX_SECONDS to cap each
# target's time (the summary then shows how many executions it reached).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-10000000}"
shift || true
started=$SECONDS
rc=0
VORN_FUZZ_RUNS="$runs" "$root/fuzz/run.sh" "${VORN_FUZZ_MAX_SECONDS:-0}" "$@" || rc=$?
echo "long run: $((SECONDS - started))s in all"
exit "$rc"
