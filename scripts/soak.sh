#!/usr/bin/env bash
# Soak: a writer appends to a light-curve file at a high rate (half-written
# last lines, rewrites from scratch, replacement by a new file) while three
# `quorva watch --always` processes re-plot it every 0.2 s to PNG, PDF and
# EPS. Every published file must pass pngcheck, qpdf --check or
# Ghostscript, the watchers' memory must stay flat, and each must make
# exactly the plots it was asked for and report no failure (a file caught
# between its truncation and its next sample has no samples, and says so).
#
#   scripts/soak.sh [SECONDS]          (default 600; CI runs a few seconds)
#
# Uses the build in $QUORVA_BUILD_DIR (default build-hardening/, configured
# and built when missing); under a sanitizer build the sanitizer's options
# from the environment apply.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
dir="${QUORVA_BUILD_DIR:-build-hardening}"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVA_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)" --target quorva >/dev/null
quorva="$PWD/$dir/quorva"
export QT_QPA_PLATFORM=offscreen SOURCE_DATE_EPOCH=1700000000
if [ -n "${ASAN_OPTIONS:-}" ]; then export ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=4"; fi

work=$(mktemp -d /tmp/quorva-soak-XXXXXX)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
input="$work/LC20261206_SFU.txt"
mkdir -p "$work/out" "$work/seen"
header=$'Tervasol soak\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n'

writer() {
  local i=0
  printf '%s' "$header" >"$input"
  while :; do
    i=$((i + 1))
    printf '%d.%06d,%d.5,%d,%d\n' $((10 + i / 100000)) $((i % 100000)) $((i % 97)) $((i % 53)) $((i % 31)) >>"$input"
    if ((i % 500 == 0)); then printf '11.5,4' >>"$input"; sleep 0.02; printf '2,7,8\n' >>"$input"; fi
    if ((i % 4000 == 0)); then : >"$input"; printf '%s' "$header" >>"$input"; fi
    if ((i % 9000 == 0)); then printf '%s9.5,1,2,3\n' "$header" >"$work/new"; mv "$work/new" "$input"; fi
  done
}
writer & pids+=($!)
sleep 0.3

count=$(awk -v s="$seconds" 'BEGIN { print int(s / 0.2) }')
watchers=()
for f in png pdf eps; do
  "$quorva" watch --always --interval 0.2 --count "$count" --format "$f" --size 1 --output "$work/out" "$input" \
    >"$work/$f.out" 2>"$work/$f.err" &
  watchers+=($!)
done
pids+=("${watchers[@]}")

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
declare -A early late
start=$(date +%s.%N)
snap=0
while kill -0 "${watchers[@]}" 2>/dev/null; do
  sleep 0.5
  elapsed=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
  for p in "${watchers[@]}"; do
    kb=$(rss "$p")
    if awk -v e="$elapsed" -v s="$seconds" 'BEGIN { exit !(e >= s * 0.25) }' && [ -z "${early[$p]:-}" ]; then early[$p]=$kb; fi
    if awk -v e="$elapsed" -v s="$seconds" 'BEGIN { exit !(e >= s * 0.75) }' && ((kb > ${late[$p]:-0})); then late[$p]=$kb; fi
  done
  for f in "$work"/out/*; do [ -f "$f" ] && cp "$f" "$work/seen/$snap-$(basename "$f")"; done
  snap=$((snap + 1))
done

status=0
fail() { echo "soak: $*" >&2; status=1; }
i=0
for f in png pdf eps; do
  p=${watchers[$i]}; i=$((i + 1))
  wait "$p" || fail "$f watcher exited with status $?"
  # A look right after the writer's rewrite from scratch finds the header
  # alone: "no samples" is then the right report. Anything else is a fault.
  unexpected=$(grep -vxF "quorva: no samples in $input" "$work/$f.err" || true)
  [ -n "$unexpected" ] && fail "$f watcher reported: $(head -3 <<<"$unexpected")"
  plots=$(wc -l <"$work/$f.out")
  [ "$plots" -eq "$count" ] || fail "$f watcher made $plots plots, not $count"
  if [ -n "${early[$p]:-}" ] && [ -n "${late[$p]:-}" ] && ((late[$p] > early[$p] * 12 / 10 + 4096)); then
    fail "$f watcher grew from ${early[$p]} kB to ${late[$p]} kB"
  fi
done
checked=0
for f in "$work"/seen/*; do
  [ -f "$f" ] || continue
  case "$f" in
    *.PNG) pngcheck -q "$f" >/dev/null || fail "pngcheck refuses $(basename "$f")" ;;
    *.PDF) qpdf --check "$f" >/dev/null || fail "qpdf refuses $(basename "$f")" ;;
    *.EPS) gs -dBATCH -dNOPAUSE -dSAFER -dQUIET -sDEVICE=nullpage "$f" >/dev/null 2>&1 || fail "gs refuses $(basename "$f")" ;;
  esac
  checked=$((checked + 1))
done
((checked >= 3)) || fail "only $checked published files seen"
echo "soak: $seconds s, 3 watchers x $count plots, $checked published files checked$( ((status)) && echo ', FAILED' || echo ', all good')"
exit "$status"
