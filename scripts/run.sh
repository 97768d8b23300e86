#!/usr/bin/env bash
# Installs what is missing, builds the Release configuration and starts Tidewell.
# Run it as yourself: only the package installation asks for root (through sudo), and the
# program runs as the calling user, so the Clean module works on that user's home.
# Extra arguments reach the executable unchanged (headless commands, acceptance runs, --help).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# Compiler cache entries stay valid across clones in other folders.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" --target tidewell tidewell-raw-helper
exec "$root/build/release/bin/tidewell" "$@"
