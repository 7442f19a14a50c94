#!/usr/bin/env bash
# Configures and builds. Usage: scripts/build.sh [--asan] [extra cmake --build args]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=build
CONFIG=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--asan" ]; then
  shift
  BUILD_DIR=build-asan
  CONFIG=(-DCMAKE_BUILD_TYPE=Debug -DZR_SANITIZE=ON -DZR_BUILD_BENCH=OFF)
fi
cmake -S . -B "$BUILD_DIR" -G Ninja "${CONFIG[@]}" >/dev/null
cmake --build "$BUILD_DIR" "$@"
