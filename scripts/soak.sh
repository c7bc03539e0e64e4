#!/usr/bin/env bash
# Soak: a writer appends to a light-curve file at a high rate (half-written
# last lines, rewrites from scratch) while three `quorva watch --always`
# processes re-plot it every 0.2 s to PNG, PDF and EPS; every published
# file must pass pngcheck, qpdf --check or Ghostscript, the watchers'
# memory must stay flat and each must make exactly the plots it was asked
# for. This is the Soak test of tests/hardening/ run for longer.
#
#   scripts/soak.sh [SECONDS]          (default 600)
#
# Builds into build-hardening/ (or $QUORVA_BUILD_DIR); with
# QUORVA_SANITIZE=ON in the environment, into build-asan/ under
# AddressSanitizer and UndefinedBehaviorSanitizer instead.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"

if [ "${QUORVA_SANITIZE:-OFF}" = ON ]; then
  dir="${QUORVA_BUILD_DIR:-build-asan}"
  export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  flags=(-DQUORVA_SANITIZE=ON)
else
  dir="${QUORVA_BUILD_DIR:-build-hardening}"
  flags=()
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVA_BUILD_BENCH=OFF "${flags[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target quorva test_hardening

QT_QPA_PLATFORM=offscreen SOURCE_DATE_EPOCH=1700000000 QUORVA_SOAK_SECONDS="$seconds" \
  "$dir/tests/test_hardening" --gtest_filter='Soak.*'
