#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
ctest --test-dir "${QUORVA_BUILD_DIR:-build}" --output-on-failure --parallel "$(nproc)" --timeout 600
# A few seconds of the soak (scripts/soak.sh runs it for longer).
QUORVA_BUILD_DIR="${QUORVA_BUILD_DIR:-build}" bash scripts/soak.sh 5
bash scripts/check-package.sh  # the Debian packages of that build, unpacked and checked

# Everything again in one clang build under AddressSanitizer and
# UndefinedBehaviorSanitizer (no recovery: the first finding fails its
# test), the desktop's tests too (Debian's Qt is not instrumented, which
# the sanitizers tolerate), with the libFuzzer targets built in it. Leaks
# are detected; only third-party libraries are suppressed (tests/lsan.supp).
# The options are exported before building because test discovery runs the
# test programs.
asan_dir="${QUORVA_ASAN_BUILD_DIR:-build-asan}"
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
# -O1 and line tables only: quicker to build, and still a stack with lines
# for every finding.
QUORVA_BUILD_DIR="$asan_dir" bash scripts/build.sh -DCMAKE_CXX_COMPILER=clang++ -DQUORVA_SANITIZE=ON \
  -DQUORVA_FUZZ=ON -DQUORVA_DESKTOP=ON -DQUORVA_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG"
# Budgets of peak memory and of time (Memory.*, DesktopResponsiveness.*)
# would measure the sanitizer's shadow memory, quarantine and slowdown, not
# the program; they run in the first build.
ctest --test-dir "$asan_dir" --output-on-failure --parallel "$(nproc)" --timeout 900 \
  -E '^(Memory|DesktopResponsiveness)\.'

# A few seconds of every fuzzer (scripts/fuzz.sh runs them for longer).
QUORVA_FUZZ_BUILD_DIR="$asan_dir" bash scripts/fuzz.sh --smoke

# The command line alone, as a station server builds it (no desktop, no Qt
# at all), under ThreadSanitizer: the PDF writer deflates finished content
# streams on worker threads. Only `quorva` and the two test programs whose
# tests go through those workers are built (the writers' tests with any
# number of workers, full-day pages and plots in a row).
tsan_dir="${QUORVA_TSAN_BUILD_DIR:-build-tsan}"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
cmake -S . -B "$tsan_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DQUORVA_TSAN=ON \
  -DQUORVA_DESKTOP=OFF -DQUORVA_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" >/dev/null
cmake --build "$tsan_dir" --parallel "$(nproc)" --target quorva test_writers test_plotjob
ctest --test-dir "$tsan_dir" --output-on-failure --parallel "$(nproc)" --timeout 900 -R '^(Pdf|PdfNumbers|Golden)\.'
