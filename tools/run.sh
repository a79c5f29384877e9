#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)"
if [ -x build/dev/app/zorvandine ]; then
    exec build/dev/app/zorvandine "$@"
fi
echo "Built: $(ls build/dev/bench build/dev/render 2>/dev/null | tr '\n' ' ')"
