#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quorva
# need; a quick no-op when all of them are present.
set -euo pipefail

packages=(
  g++ clang cmake ninja-build pkg-config
  qt6-base-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libclang-rt-14-dev
  qpdf pngcheck ghostscript poppler-utils
  xvfb xauth fonts-liberation
  chromium tidy
  time python3
  dpkg-dev lintian help2man man-db desktop-file-utils appstream systemd
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
