#!/usr/bin/env bash
# Installs what is missing, builds the two programs (quorva and
# quorva-desktop: no tests, no benchmarks) and runs Quorva on the bundled
# examples. The build's own output goes to build/demo-build.log; one line
# tells how far it is. With a display it starts the desktop program in a
# working folder that holds the example configuration: its file dialog
# opens in examples/, plot files go to out/. Without a display it writes the
# example plots into out/ with `quorva plot` and ends with their paths.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
repo="$PWD"
dir="${QUORVA_BUILD_DIR:-build}"
mkdir -p "$dir" out
log="$dir/demo-build.log"
: >"$log"

# The same build folder as scripts/build.sh and scripts/test.sh (which
# build the rest later from where this left off), but only the two programs.
live=0
if [ -t 1 ] && [ -n "${TERM:-}" ] && [ "$TERM" != dumb ]; then live=1; fi
echo "demo: building quorva and quorva-desktop into $dir/ (a few minutes on 2 cores; log: $log)"
status=0
{
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
    cmake --build "$dir" --parallel "$(nproc)" --target quorva quorva-desktop
} 2>&1 | {
  while IFS= read -r line; do
    printf '%s\n' "$line" >>"$log"
    if [ "$live" = 1 ] && [[ $line =~ ^\[([0-9]+/[0-9]+)\] ]]; then
      printf '\rdemo: build step %s\033[K' "${BASH_REMATCH[1]}"
    fi
  done
  [ "$live" = 0 ] || printf '\r\033[K'
} || status=$?
if [ "$status" -ne 0 ]; then
  tail -n 30 "$log" >&2
  echo "demo: the build failed (the whole log: $log)" >&2
  exit 1
fi
bin="$(cd "$dir" && pwd)/quorva"

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
  (cd "$work" && "$bin") || status=$?
  exit "$status" # the trap removes the working folder
fi

echo "demo: no display (DISPLAY and WAYLAND_DISPLAY are not set): the example plots in out/:"
for format in pdf eps png; do
  "$bin" plot --format "$format" --output out examples/LC*.txt
done
