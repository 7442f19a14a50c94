#!/usr/bin/env bash
# Installs every Debian package that building, testing, benchmarking and
# making fixtures need; packages already present are skipped.
set -euo pipefail

PACKAGES=(
  # build
  g++ cmake ninja-build pkg-config ccache
  qt6-base-dev libarchive-dev liblzma-dev libsqlite3-dev libisal-dev libxml2-dev libpoppler-cpp-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev hyperfine ugrep ripgrep libarchive-tools python3 time
  isal
  # the sharded search on a Dask cluster (docs/scale.md) and its test
  python3-distributed
  # real windows and Japanese text on screen
  fonts-noto-cjk xvfb xauth openbox
  # Qt's own dialogs and edit menus in Japanese
  qt6-translations-l10n
  # fuzzing harnesses (clang with libFuzzer)
  clang libclang-rt-14-dev
  # archivers that made the committed fixtures
  zip unzip bzip2 gzip ncompress arj gcab jlha-utils 7zip xz-utils zstd lz4 lzip
  # the content cache's packs
  libzstd-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
