#!/usr/bin/env bash
# Installs what Flowskin needs to build, run and test on Debian 12. Idempotent:
# packages already present are left alone and nothing is downloaded again.
# clang-14 with its runtime libraries (libFuzzer, sanitizers) and llvm-14 (the
# symbolizer of sanitizer reports) build and run the fuzz target. The FFmpeg
# libraries (found through pkg-config) encode movie files. libopenmesh-dev is
# linked by one benchmark only (bench/mesh_load_reference_bench), never by the program.
# libegl-dev and Mesa's EGL driver give batch runs a GL context without a display.
# pybind11, numpy, pytest, meshio and Dask's distributed build and test the Python module.
set -euo pipefail
packages=(
  cmake g++ make
  qt6-base-dev libqt6opengl6-dev
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libegl-dev libegl-mesa0
  python3-dev pybind11-dev python3-numpy python3-pytest python3-meshio python3-distributed
  libassimp-dev
  pkg-config libavcodec-dev libavformat-dev libswscale-dev
  libexpat1-dev zlib1g-dev liblz4-dev liblzma-dev
  libopenmesh-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils fonts-dejavu-core
  clang-14 libclang-rt-14-dev llvm-14
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
