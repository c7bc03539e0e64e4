#!/usr/bin/env bash
# Installs what is missing, builds, and runs Quorva on the bundled examples.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
./build/quorva stats examples/LC20261206_SFU.txt
