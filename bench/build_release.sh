#!/usr/bin/env bash
# Builds the Release configuration used by the benchmarks in build-bench/
# (shared by run_codec.sh and run_submit.sh) and prints its path.
#
# GCC 12 at -O3 reports a false -Wrestrict inside std::string's
# operator+(const char*, std::string&&) (GCC bug 105329); in this build
# directory that diagnostic stays a warning so -Werror does not stop an
# optimized build over it. Every other warning is still an error.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORN_BENCH_BUILD_DIR:-$root/build-bench}"
extra=()
if "${CXX:-c++}" --version 2>/dev/null | grep -qE '^(g\+\+|c\+\+).* 12\.'; then
  extra+=("-DCMAKE_CXX_FLAGS=-Wno-error=restrict")
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release "${extra[@]}" >&2
cmake --build "$build" -j"$(nproc)" --target vorn codec_bench >&2
echo "$build"
