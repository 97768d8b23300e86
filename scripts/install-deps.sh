#!/usr/bin/env bash
# Installs the Debian packages Tidewell builds, runs and tests with.
# Idempotent: prints nothing and touches nothing when every package is present.
# With --packaging it also installs what scripts/package.sh checks the package with.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libplist-dev libplist++-dev libplist-utils nlohmann-json3-dev
  libjpeg-dev libpng-dev libgif-dev libtiff-dev libheif-dev
  libpoppler-cpp-dev libqpdf-dev poppler-utils
  libglib2.0-dev libflatpak-dev flatpak desktop-file-utils
  libavcodec-dev libavutil-dev
  zip unzip qpdf ffmpeg dosfstools mtools exfatprogs exfat-fuse sleuthkit testdisk fdisk
  xvfb xauth fonts-dejavu-core fonts-wqy-microhei adwaita-icon-theme locales clang clang-format clang-tidy
  pkexec polkitd appstream libxml2-utils man-db groff-base debhelper dpkg-dev fakeroot
)
[[ "${1:-}" == --packaging ]] && packages+=(lintian)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
