#!/usr/bin/env bash
# Fails when a C++ file of the project differs from its clang-format layout.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
git ls-files -co --exclude-standard -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'helper/*.cpp' 'helper/*.h' \
    'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'tools/*.cpp' 'tools/*.h' | xargs -r clang-format --dry-run --Werror
