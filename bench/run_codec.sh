#!/usr/bin/env bash
# Codec benchmark: builds Release in build-bench/ and runs codec_bench.
# VORN_BENCH_SECONDS sets the time spent repeating each case (default 1).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$("$here/build_release.sh")"
exec "$build/bench/codec_bench"
