#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan, -O1) in build-fuzz and
# runs each for a number of seconds on a fresh copy of its seed corpus.
#
#   fuzz/run.sh [SECONDS] [TARGET...]
#
# SECONDS defaults to 60 per target; TARGET defaults to all of them. Each run
# prints one summary line: executions, their rate, coverage and findings.
# Findings (crash, leak, timeout, out-of-memory) are left under
# build-fuzz/fuzz-work/<target>/artifacts/ and the script exits 1.
#
# VORN_FUZZ_RUNS=N stops each target after N executions instead (SECONDS,
# then 0 for no limit, still caps the time); fuzz/run_long.sh uses it.
#
# Extra libFuzzer flags come from VORN_FUZZ_ARGS, e.g. to keep going past a
# known finding: VORN_FUZZ_ARGS="-fork=1 -ignore_crashes=1" fuzz/run.sh 300
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
work="$build/fuzz-work"
seconds="${1:-60}"
shift || true
all_targets=(reply_reader_fuzz reply_limits_fuzz xml_parse_fuzz document_loader_fuzz
             value_text_fuzz argument_text_fuzz invoice_check_fuzz fatturapa_reader_fuzz)
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=("${all_targets[@]}")

runs="${VORN_FUZZ_RUNS:-}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || { [[ "$seconds" -eq 0 ]] && [[ -z "$runs" ]]; } ||
  ! [[ "$runs" =~ ^[0-9]*$ ]]; then
  echo "usage: $0 [SECONDS] [TARGET...]" >&2
  exit 2
fi

# Only what clang fuzzing needs is installed, and only when missing.
missing=()
for pkg in clang libclang-rt-14-dev; do
  dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

# -O1 with assertions kept: unoptimised instrumented code runs several times
# slower and finds nothing more.
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DVORN_FUZZ=ON -DVORN_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g" >/dev/null
cmake --build "$build" --target "${targets[@]}"

# Seeds: the corpus kept in fuzz/corpus plus the project's own fixtures.
seed() {
  local target="$1" dest="$2"
  local golden=("$root"/tests/soap/golden/*.xml)
  local examples=("$root"/examples/*.xml)
  case "$target" in
    reply_reader_fuzz)
      cp "$root"/fuzz/corpus/reply_reader/* "${golden[@]}" "$dest"/ ;;
    reply_limits_fuzz)
      # Its inputs start with a byte that picks the limits, then the reply.
      local f
      for f in "$root"/fuzz/corpus/reply_reader/* "${golden[@]}"; do
        { printf '\377'; cat "$f"; } >"$dest/$(basename "$f")"
      done
      # Earlier findings, kept with their own first byte.
      cp "$root"/fuzz/corpus/reply_limits/* "$dest"/ ;;
    xml_parse_fuzz)
      cp "$root"/fuzz/corpus/xml_parse/* "$root"/fuzz/corpus/reply_reader/* "${golden[@]}" \
        "${examples[@]}" "$dest"/ ;;
    document_loader_fuzz)
      # Its inputs start with a byte that is dropped, then the file; or with
      # FF and a selector byte, for the chunk boundary check, then the file.
      cp "$root"/fuzz/corpus/document_loader/* "$dest"/
      local f
      for f in "${examples[@]}" "${golden[@]}"; do
        { printf '\000'; cat "$f"; } >"$dest/$(basename "$f")"
        { printf '\377\007'; cat "$f"; } >"$dest/boundary-$(basename "$f")"
      done
      for f in "$root"/fuzz/corpus/document_loader/*; do
        { printf '\377'; cat "$f"; } >"$dest/boundary-$(basename "$f")"
      done ;;
    value_text_fuzz)
      cp "$root"/fuzz/corpus/value_text/* "$dest"/ ;;
    argument_text_fuzz)
      # Its inputs start with a selector byte (character set, secret), then
      # the argument.
      cp "$root"/fuzz/corpus/argument_text/* "$dest"/ ;;
    invoice_check_fuzz)
      cp "$root"/tests/cli/fatturapa/*.xml "$root"/tests/cli/fatturapa/broken/*.xml \
        "${examples[@]}" "$dest"/ ;;
    fatturapa_reader_fuzz)
      cp "$root"/tests/data/fatturapa/*.xml "$root"/tests/data/fatturapa/*/*/*.xml \
        "${examples[@]}" "$dest"/ ;;
    *)
      echo "unknown target $target" >&2
      return 1 ;;
  esac
}

status=0
summary=()
for target in "${targets[@]}"; do
  dir="$work/$target"
  rm -rf "$dir"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  seed "$target" "$dir/corpus"
  flags=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=25 -print_final_stats=1
         -artifact_prefix="$dir/artifacts/")
  [[ -z "$runs" ]] || flags+=(-runs="$runs")
  # shellcheck disable=SC2206  # word splitting of the extra flags is wanted
  flags+=(${VORN_FUZZ_ARGS:-})
  case "$target" in
    reply_reader_fuzz | xml_parse_fuzz | invoice_check_fuzz | fatturapa_reader_fuzz)
      flags+=(-dict="$root/fuzz/xml.dict") ;;
  esac
  echo "== $target: ${runs:+$runs runs, }${seconds}s"
  rc=0
  started=$SECONDS
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/$target" "${flags[@]}" "$dir/corpus" >"$dir/log" 2>&1 || rc=$?
  took=$((SECONDS - started))

  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$dir/log" | tail -1 || true)
  # Fork mode prints no final stats; its last status line counts executions.
  [[ -n "$execs" ]] || execs=$(sed -n 's/^#\([0-9]*\).*/\1/p' <<<"$last")
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\/[^ ]*\).*/\1/p' <<<"$last")
  found=$(find "$dir/artifacts" -type f | head -1)
  if [[ $rc -ne 0 || -n "$found" ]]; then
    status=1
    # A failed property check of the target first, else the sanitizer's line.
    reason=$(grep -m1 '^check failed:' "$dir/log" ||
      grep -m1 -E 'runtime error:|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)' "$dir/log" ||
      true)
    line="$target: FAILED (exit $rc) execs=${execs:-?} cov=${cov:-?} ${reason:-see log} ${found:+artifact=$found}"
  else
    rate=$(( ${execs:-0} / (took > 0 ? took : 1) ))
    line="$target: ok execs=${execs:-?} in ${took}s (${rate}/s) cov=${cov:-?} ft=${ft:-?} corpus=${corp:-?} findings=0"
  fi
  echo "$line"
  summary+=("$line")
done

echo
echo "summary (logs in $work/<target>/log):"
printf '  %s\n' "${summary[@]}"
exit "$status"
