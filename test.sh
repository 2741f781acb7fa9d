#!/usr/bin/env bash
# test.sh: installs what is missing, builds, and runs every test against a
# private PostgreSQL server (started and stopped by CTest's fixture).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

scripts/setup.sh
# Objects cached from another clone of the tree serve this one too.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
build=${VELMORA_BUILD_DIR:-build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -G Ninja -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build"
# Whatever happens to the run, no server is left behind.
trap 'scripts/pgserver.sh stop "$build/testdb" >/dev/null 2>&1 || true' EXIT
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
