#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer test configuration and runs the whole suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# Compiler cache entries stay valid across clones in other folders.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake -S "$root" -B "$root/build/test" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTIDEWELL_SANITIZE=ON >/dev/null
cmake --build "$root/build/test"
ctest --test-dir "$root/build/test" --output-on-failure --parallel "$(nproc)" "$@"
