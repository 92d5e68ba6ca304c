#!/usr/bin/env bash
# Sets up the machine, builds the normal and the sanitizer configuration, and
# runs the whole test suite in both.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

# Many tests mostly wait (on the local hub, on time-outs): twice the cores.
jobs="$(( $(nproc) * 2 ))"
"$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

"$root/scripts/build.sh" build-asan -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"
