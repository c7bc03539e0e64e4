#!/usr/bin/env bash
# The picture of the station page for the README: `quorva watch --page`
# publishes examples/LC20261206_SFU.txt into a scratch folder, headless
# Chromium takes the page as a browser on a 1400 x 820 screen shows it.
# Usage: scripts/station-screenshot.sh [OUTPUT_PNG]   (default: docs/station-page.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs/station-page.png}")"
dir="${QUORVA_BUILD_DIR:-build}"
[ -x "$dir/quorva" ] || QUORVA_BUILD_DIR="$dir" bash scripts/build.sh
command -v chromium >/dev/null || { echo "station-screenshot: chromium is missing (bash scripts/setup.sh installs it)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/www" "$work/profile"
# A copy written just now: the file of an observation in progress.
cp examples/LC20261206_SFU.txt "$work/"
SOURCE_DATE_EPOCH=1796560800 "$dir/quorva" watch --page --count 1 --output "$work/www" "$work/LC20261206_SFU.txt" >/dev/null
# From the file itself the script cannot fetch stats.json; the page shows
# what the watch wrote into it.
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$work/profile" --hide-scrollbars \
    --window-size=1400,820 --force-device-scale-factor=1 --screenshot="$out" "file://$work/www/index.html" \
    2>/dev/null
echo "$out"
