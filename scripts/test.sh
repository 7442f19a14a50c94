#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
# Usage: scripts/test.sh [--asan]   (--asan: AddressSanitizer + UBSan build)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen
if [ "${1:-}" = "--asan" ]; then
  bash scripts/build.sh --asan
  ctest --test-dir build-asan --output-on-failure -j2
else
  bash scripts/build.sh
  ctest --test-dir build --output-on-failure -j2
fi
