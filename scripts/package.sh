#!/usr/bin/env bash
# Builds the Debian package (Release, without the test suite) from a copy of the sources
# and leaves the one .deb in build/ (or in the folder given as the last argument).
# Installs what is missing first, lintian included, unless --no-install is given.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
install=1
if [[ "${1:-}" == --no-install ]]; then
  install=0
  shift
fi
output=$(mkdir -p "${1:-$root/build}" && cd "${1:-$root/build}" && pwd)
[[ $install -eq 0 ]] || "$root/scripts/install-deps.sh" --packaging

# dpkg-buildpackage writes next to the source folder and into debian/: build a copy in a
# folder of our own, so the checkout stays clean and nothing lands beside it.
stage="$output/package"
rm -rf "$stage"
mkdir -p "$stage/tidewell"
tar -C "$root" --exclude-vcs --exclude=./build --exclude='./build-*' --exclude=./.cache -cf - . |
  tar -C "$stage/tidewell" -xf -

# Compiler cache entries stay valid across copies in other folders (the top CMakeLists makes
# ccache the compiler launcher). debhelper points HOME at a scratch folder, so the cache is
# named explicitly. No test suite and no debug-symbol package.
CCACHE_DIR=${CCACHE_DIR:-$(ccache --get-config cache_dir 2>/dev/null || true)}
export CCACHE_DIR CCACHE_BASEDIR="$stage/tidewell" CCACHE_NOHASHDIR=1
DEB_BUILD_OPTIONS="nocheck noddebs parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}"
export DEB_BUILD_OPTIONS
(cd "$stage/tidewell" && dpkg-buildpackage -us -uc -b)

rm -f "$output"/tidewell_*.deb
mv "$stage"/tidewell_*.deb "$output/"
rm -rf "$stage"
package=$(ls "$output"/tidewell_*.deb)
if command -v lintian >/dev/null; then
  lintian --fail-on error "$package"
fi
echo "package.sh: $package"
