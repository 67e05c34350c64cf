#!/usr/bin/env bash
# Installs the Debian packages the game needs ("play") or its tests need too ("test").
# Idempotent and silent when everything is present.
set -euo pipefail
kind=${1:-play}

pkgs=(build-essential cmake pkg-config libsdl2-dev zlib1g-dev libogg-dev libtheora-dev
      libgl1-mesa-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libx11-dev
      libfreetype-dev fonts-dejavu-core fonts-liberation2 fonts-ipafont-gothic)
if [ "$kind" = test ]; then
  pkgs+=(libgtest-dev libbenchmark-dev libmpg123-dev libopenmpt-dev clang xvfb xauth xdotool imagemagick openbox ffmpeg
        sox tesseract-ocr tesseract-ocr-eng desktop-file-utils appstream)
fi

missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
