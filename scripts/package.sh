#!/usr/bin/env bash
# Builds Quorva if needed (build/, or $QUORVA_BUILD_DIR) and makes its
# Debian packages there; prints the path of each .deb.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${QUORVA_BUILD_DIR:-build}"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  bash scripts/setup.sh
  bash scripts/build.sh
else
  cmake --build "$dir" --parallel "$(nproc)" >/dev/null
fi
rm -f "$dir"/quorva_*.deb "$dir"/quorva-desktop_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
# quorva-desktop is missing from a build without the desktop program.
ls "$dir"/quorva_*.deb
ls "$dir"/quorva-desktop_*.deb 2>/dev/null || true
