#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/, clang with AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ (or $QUORVA_FUZZ_BUILD_DIR,
# which may be an existing clang build configured with -DQUORVA_FUZZ=ON,
# as CI's sanitizer build is) and runs them.
#
#   scripts/fuzz.sh [--smoke] [--time SECONDS] [--jobs N] [TARGET...]
#
#   --smoke         a few seconds per target on the seed corpus only (CI)
#   --time SECONDS  run time per target (default 600)
#   --jobs N        parallel fuzzing processes per target (default 1)
#   TARGET          fuzz_light_curve, fuzz_configuration, fuzz_keywords,
#                   fuzz_replot (default: all that are built)
#
# Long runs grow build-fuzz/corpus/TARGET from the seeds in
# fuzz/corpus/TARGET; a crash leaves its input in
# build-fuzz/artifacts/ and the script fails. Keep each crash input as a
# regression case in tests/hardening/inputs/ once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=0
seconds=600
jobs=1
targets=()
while (($#)); do
  case "$1" in
    --smoke) smoke=1; seconds=4 ;;
    --time) seconds="$2"; shift ;;
    --jobs) jobs="$2"; shift ;;
    -h|--help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 64 ;;
    *) targets+=("$1") ;;
  esac
  shift
done

dir="$PWD/${QUORVA_FUZZ_BUILD_DIR:-build-fuzz}"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQUORVA_FUZZ=ON -DQUORVA_BUILD_TESTS=OFF -DQUORVA_BUILD_BENCH=OFF >/dev/null
fi

if ((${#targets[@]} == 0)); then
  for src in fuzz/fuzz_*.cpp; do
    targets+=("$(basename "$src" .cpp)")
  done
fi
cmake --build "$dir" --parallel "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
export SOURCE_DATE_EPOCH=1700000000

mkdir -p "$dir/artifacts"
status=0
for t in "${targets[@]}"; do
  seeds="$PWD/fuzz/corpus/$t"
  mkdir -p "$seeds"
  dict=()
  if [ -f "fuzz/$t.dict" ]; then dict=(-dict="$PWD/fuzz/$t.dict"); fi
  common=(-timeout=20 -rss_limit_mb=2560 -max_len=8192 -print_final_stats=1
          -artifact_prefix="$dir/artifacts/$t-" "${dict[@]}")
  start=$(date +%s)
  rc=0
  if ((smoke)); then
    # libFuzzer adds new inputs to its first folder: a fresh one, so that
    # the seeds in the source tree are only read.
    corpus="$dir/smoke/$t"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    "$dir/fuzz/$t" "${common[@]}" -max_total_time="$seconds" "$corpus" "$seeds" >"$dir/$t.log" 2>&1 || rc=$?
  else
    corpus="$dir/corpus/$t"
    mkdir -p "$corpus"
    parallel=()
    if ((jobs > 1)); then parallel=(-jobs="$jobs" -workers="$jobs"); fi
    # Parallel jobs write fuzz-N.log into the working folder.
    (cd "$dir" && exec "$dir/fuzz/$t" "${common[@]}" -max_total_time="$seconds" "${parallel[@]}" \
       "$corpus" "$seeds") >"$dir/$t.log" 2>&1 || rc=$?
    cat "$dir"/fuzz-*.log >>"$dir/$t.log" 2>/dev/null || true
    rm -f "$dir"/fuzz-*.log
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/$t.log" | awk '{s += $2} END {print s + 0}')
  if ((rc != 0)) || grep -q '^==[0-9]*==ERROR\|deadly signal\|Test unit written' "$dir/$t.log"; then
    status=1
    echo "fuzz: $t FOUND A PROBLEM after $(( $(date +%s) - start )) s (exit $rc); see $dir/$t.log" >&2
    grep -m8 'ERROR\|fuzz: \|Test unit written\|runtime error' "$dir/$t.log" >&2 || true
  else
    echo "fuzz: $t ran $(( $(date +%s) - start )) s, $runs inputs, no finding"
  fi
done
exit "$status"
