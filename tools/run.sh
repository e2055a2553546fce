#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on an example document.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build build -j2 --target palvorin
exec ./build/app/palvorin "${1:-examples/moulding.PLV}"
