#!/usr/bin/env bash
# Pictures of the desktop program for the README: starts Quorva under
# xvfb-run on a 1920 x 1080 screen with the example configuration, opens
# examples/LC20261206_SFU.txt through the file dialog (which plots it into the
# screen window), shows the statistics window and saves
#   docs/main-window.png  docs/file-dialog.png  docs/statistics.png
#   docs/screen-window.png  docs/desktop.png
# then does it again with a drag over the burst from 10:33 to 10:48 in the
# screen window and saves the zoomed windows as
#   docs/screen-window-zoom.png  docs/statistics-zoom.png
# Usage: scripts/screenshots.sh [OUTPUT_FOLDER]   (default: docs)
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"
docs="$(realpath -m "${1:-docs}")"
dir="${QUORVA_BUILD_DIR:-build}"
[ -x "$dir/quorva" ] || QUORVA_BUILD_DIR="$dir" bash scripts/build.sh
bin="$(realpath "$dir/quorva")"

if ! command -v xvfb-run >/dev/null; then
  echo "screenshots: xvfb-run is missing (bash scripts/setup.sh installs it)" >&2
  exit 1
fi

# The example configuration reads its folders relative to the working
# directory ("[path]=examples", "[output]=out/"): give it one that has both.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
ln -s "$repo/examples" "$work/examples"
mkdir -p "$work/out" "$docs"
cp examples/Quorva.cfg "$work/Quorva.cfg"

cd "$work"
# The program opens the file, waits for the windows to paint, saves the
# pictures and ends by itself; the time limit guards against a hang.
timeout 120 xvfb-run -a -s "-screen 0 1920x1080x24" \
  env QT_QPA_PLATFORM=xcb \
      QUORVA_DESKTOP_OPEN="$repo/examples/LC20261206_SFU.txt" \
      QUORVA_DESKTOP_SCREENSHOTS="$docs" \
      "$bin"

# The same with the burst zoomed by a drag over the screen window.
mkdir -p "$work/zoom"
timeout 120 xvfb-run -a -s "-screen 0 1920x1080x24" \
  env QT_QPA_PLATFORM=xcb \
      QUORVA_DESKTOP_OPEN="$repo/examples/LC20261206_SFU.txt" \
      QUORVA_DESKTOP_ZOOM="10:33-10:48" \
      QUORVA_DESKTOP_SCREENSHOTS="$work/zoom" \
      "$bin" >/dev/null
cp "$work/zoom/screen-window.png" "$docs/screen-window-zoom.png"
cp "$work/zoom/statistics.png" "$docs/statistics-zoom.png"
echo "$docs/screen-window-zoom.png"
echo "$docs/statistics-zoom.png"
