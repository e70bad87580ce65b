#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/, clang with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs them, printing for
# each target its executions, coverage and findings.
#
#   scripts/fuzz.sh [--time SECONDS] [--runs N] [--jobs J] [TARGET...]
#       fuzzes each target (default: all) for the given time or number of
#       runs, whichever comes first (default 60 s), J targets at a time
#       (default 1). New inputs go to
#       build-fuzz/corpus/TARGET, findings to build-fuzz/findings/TARGET.
#   scripts/fuzz.sh --regression [TARGET...]
#       runs every target on its seed corpus and then a short run with a
#       fixed seed (a few seconds each); fails when anything is found.
#
# A finding is fixed in the production code and its input kept in
# fuzz/corpus/TARGET, so that the regression pass replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=fuzz
limit=()
jobs=1
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --time) limit+=(-max_total_time="$2"); shift 2 ;;
    --runs) limit+=(-runs="$2"); shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    --regression) mode=regression; shift ;;
    -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

[ ${#limit[@]} -eq 0 ] && limit=(-max_total_time=60)

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVK7_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "${VK7_FUZZ_BUILD_JOBS:-2}"

if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzzer.cpp; do
    n=$(basename "$f" .cpp)
    targets+=("${n%_fuzzer}")
  done
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# Runs one target; its log goes to build-fuzz/logs/TARGET.log.
run_target() {
  local t=$1
  local program="$build/fuzz/${t}_fuzzer"
  local seeds="$PWD/fuzz/corpus/$t"
  local work="$build/corpus/$t"
  local findings="$build/findings/$t"
  local log="$build/logs/$t.log"
  local dict=()
  [ -f "fuzz/dictionaries/$t.dict" ] && dict=(-dict="fuzz/dictionaries/$t.dict")
  mkdir -p "$work" "$findings" "$build/logs"
  touch "$build/logs/$t.start"
  local common=(-artifact_prefix="$findings/" -print_final_stats=1 -timeout=20
                -rss_limit_mb=2048 "${dict[@]}")
  if [ "$mode" = regression ]; then
    # Every seed once, then a short deterministic run.
    local scratch status=0
    scratch=$(mktemp -d)
    { "$program" "${common[@]}" "$seeds"/* &&
      "$program" "${common[@]}" -seed=1 -runs=3000 "$scratch" "$seeds"; } >"$log" 2>&1 ||
      status=$?
    rm -rf "$scratch"
    return $status
  fi
  "$program" "${common[@]}" "${limit[@]}" "$work" "$seeds" >"$log" 2>&1
}

# One line per target from its log.
report() {
  local t=$1 status=$2
  local log="$build/logs/$t.log"
  local execs cov ft found
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)
  # Only what this run found: earlier findings stay in the folder.
  found=$(find "$build/findings/$t" -type f -newer "$build/logs/$t.start" 2>/dev/null | wc -l)
  printf '%-14s executions %10s  coverage %6s edges  %7s features  findings %s%s\n' \
    "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$found" \
    "$([ "$status" -ne 0 ] && echo "  FAILED (see $log)")"
}

failed=0
pids=()
names=()
flush() {
  local i
  for i in "${!pids[@]}"; do
    local status=0
    wait "${pids[$i]}" || status=$?
    report "${names[$i]}" "$status"
    [ "$status" -ne 0 ] && failed=1
  done
  pids=()
  names=()
}
for t in "${targets[@]}"; do
  if [ ! -x "$build/fuzz/${t}_fuzzer" ]; then
    echo "fuzz.sh: no target $t" >&2
    exit 2
  fi
  run_target "$t" &
  pids+=($!)
  names+=("$t")
  [ ${#pids[@]} -ge "$jobs" ] && flush
done
flush
exit $failed
