#!/usr/bin/env bash
# Installs what is missing, builds, and runs Quorva on the bundled examples.
# With a display it starts the desktop program in a working folder that holds
# the example configuration: its file dialog opens in examples/, plot files
# go to out/. Without a display it writes the example plots into out/ with
# `quorva plot`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
repo="$PWD"
mkdir -p out

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  # examples/Quorva.cfg names its folders relative to the working folder
  # ("[path]=examples", "[output]=out/").
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
  ln -s "$repo/examples" "$work/examples"
  ln -s "$repo/out" "$work/out"
  cp examples/Quorva.cfg "$work/Quorva.cfg"
  echo "demo: starting the desktop program: press Open..., choose the unit and click a file;"
  echo "demo: PDF, EPS and PNG plots go to $repo/out/"
  status=0
  (cd "$work" && "$repo/build/quorva") || status=$?
  exit "$status" # the trap removes the working folder
fi

echo "demo: no display (DISPLAY and WAYLAND_DISPLAY are not set): writing the example plots to out/"
for format in pdf eps png; do
  ./build/quorva plot --format "$format" --output out examples/LC*.txt
done
