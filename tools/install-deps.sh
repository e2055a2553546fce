#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the program (run as root).
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-svg-dev libgl-dev libglu1-mesa-dev libjpeg62-turbo-dev
  libpng-dev libegl-dev libegl-mesa0 libdxflib-dev lib3mf-dev
  libgtest-dev xvfb xauth libgl1-mesa-dri
  qt6-translations-l10n
)
if [ "${1:-}" = "--test" ]; then
  # Independent readers of the export formats, a comma-decimal locale, and clang with its
  # sanitizer and libFuzzer runtimes for the fuzz targets.
  pkgs+=(python3 python3-ezdxf zlib1g-dev lib3ds-dev view3dscene assimp-utils locales clang libclang-rt-14-dev)
  # OpenCASCADE reads the STEP files back and checks their solids.
  pkgs+=(libocct-data-exchange-dev libocct-modeling-algorithms-dev libocct-ocaf-dev)
  # The freedesktop tools that check the installed desktop files.
  pkgs+=(desktop-file-utils appstream shared-mime-info file)
  # The Debian package's own checker.
  pkgs+=(lintian)
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
# German and Italian locales (the comma-decimal export test, trying the translated interface) and
# the readers' npm packages.
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
  # The readers' npm packages, at the versions of the lock file, into tests/js/node_modules.
  js="$(dirname "$0")/../tests/js"
  if ! cmp -s "$js/package-lock.json" "$js/node_modules/.installed-lock.json"; then
    npm ci --prefix "$js" --no-audit --no-fund
    cp "$js/package-lock.json" "$js/node_modules/.installed-lock.json"
  fi
fi
