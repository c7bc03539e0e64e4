#!/usr/bin/env bash
# Configures and builds Quorva into build/ (or $QUORVA_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${QUORVA_BUILD_DIR:-build}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
