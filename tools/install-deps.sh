#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the program (run as root).
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-svg-dev libgl-dev libglu1-mesa-dev libjpeg62-turbo-dev
  libpng-dev
  libgtest-dev xvfb xauth libgl1-mesa-dri
)
if [ "${1:-}" = "--test" ]; then
  # Independent readers of the export formats, and a comma-decimal locale.
  pkgs+=(python3 python3-ezdxf lib3ds-dev view3dscene assimp-utils locales)
  # Node runs the glTF validator and three.js's loaders; any installed Node will do.
  command -v node >/dev/null 2>&1 || pkgs+=(nodejs)
  command -v npm >/dev/null 2>&1 || pkgs+=(npm)
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
if [ "${1:-}" = "--test" ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi
if [ "${1:-}" = "--test" ]; then
  # The readers' npm packages, at the versions of the lock file, into tests/js/node_modules.
  js="$(dirname "$0")/../tests/js"
  if ! cmp -s "$js/package-lock.json" "$js/node_modules/.installed-lock.json"; then
    npm ci --prefix "$js" --no-audit --no-fund
    cp "$js/package-lock.json" "$js/node_modules/.installed-lock.json"
  fi
fi
