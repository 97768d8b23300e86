#!/usr/bin/env bash
# clang-tidy over the project's sources, using the test build's compile commands.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/test"
[[ -f "$build/compile_commands.json" ]] || { echo "lint: build the test configuration first (scripts/test.sh)" >&2; exit 1; }
cd "$root"
git ls-files -- 'src/*.cpp' 'helper/*.cpp' | xargs -r -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet --extra-arg=-Wno-unknown-warning-option
