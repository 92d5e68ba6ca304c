#!/usr/bin/env bash
# Model benchmark: builds Release in build-bench/ (shared with the other
# benchmarks) and writes the InviaDocumento envelope of an invoice tree of
# several sizes, each in a fresh process, so that every first call is the
# first one of its process. Arguments: the line counts (default: 2500 5000
# 10000 20000 40000). Goal: 300 MB/s or more on the first call at 20,000
# lines, and a time per line that stays flat as the invoice grows.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$("$here/build_release.sh")"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(2500 5000 10000 20000 40000)
for n in "${sizes[@]}"; do
  "$build/bench/model_bench" "$n" 3
done
