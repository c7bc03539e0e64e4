#!/usr/bin/env bash
# Rewrites the golden pages in tests/golden/ from the current code: builds
# (build/ or $QUORVA_BUILD_DIR) and runs the golden-page tests in their
# write mode. Review the pages (they are ordinary EPS, PDF and PNG files),
# then commit them in a commit of their own whose message says why the
# output changed.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${QUORVA_BUILD_DIR:-build}"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)" --target test_plotjob test_screen test_e2e
export QT_QPA_PLATFORM=offscreen SOURCE_DATE_EPOCH=1700000000 QUORVA_UPDATE_GOLDEN=1
"$dir/tests/test_plotjob" --gtest_filter='Golden.PagesOnEveryFileDevice*'
"$dir/tests/test_e2e" --gtest_filter='Window.GoldenPage'
"$dir/tests/test_screen" --gtest_filter='Screen.PagesAreTheGoldenPages*'
git status --short tests/golden
