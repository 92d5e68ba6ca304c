#!/usr/bin/env bash
# Builds the Release configuration used by the benchmarks in build-bench/
# (shared by run_codec.sh and run_submit.sh) and prints its path.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORN_BENCH_BUILD_DIR:-$root/build-bench}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >&2
cmake --build "$build" -j"$(nproc)" --target vorn codec_bench model_bench >&2
echo "$build"
