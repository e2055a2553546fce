#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the program (run as root).
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-svg-dev libgl-dev libglu1-mesa-dev libjpeg62-turbo-dev
  libgtest-dev xvfb xauth libgl1-mesa-dri
  qt6-translations-l10n
)
if [ "${1:-}" = "--test" ]; then
  # Independent readers of the export formats, and a comma-decimal locale.
  pkgs+=(python3 python3-ezdxf lib3ds-dev view3dscene locales)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
# German and Italian locales: the comma-decimal export test, and trying the translated interface.
if [ "${1:-}" = "--test" ]; then
  generate=0
  for l in de_DE it_IT; do
    if ! locale -a 2>/dev/null | grep -qi "^$l\.utf-\?8$"; then
      sed -i "s/^# *$l.UTF-8 UTF-8/$l.UTF-8 UTF-8/" /etc/locale.gen
      grep -q "^$l.UTF-8 UTF-8" /etc/locale.gen || echo "$l.UTF-8 UTF-8" >> /etc/locale.gen
      generate=1
    fi
  done
  if [ $generate = 1 ]; then locale-gen; fi
fi
