#!/usr/bin/env bash
# Called as: package_installs.sh <source folder> <scratch folder>
# Builds the package, installs it with dpkg into a temporary root, runs the installed
# programs from there, and checks that removing it leaves no file behind. Works as root
# and as an ordinary user.
set -euo pipefail
source_folder=$1
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"

fail() {
  echo "package_installs: $*" >&2
  exit 1
}

"$source_folder/scripts/package.sh" --no-install "$scratch"
packages=("$scratch"/tidewell_*.deb)
[[ ${#packages[@]} -eq 1 && -f ${packages[0]} ]] || fail "expected one package, found: ${packages[*]}"

mkdir -p "$scratch/root/var/lib/dpkg/info" "$scratch/root/var/lib/dpkg/updates"
root=$(cd "$scratch/root" && pwd -P)
touch "$root/var/lib/dpkg/status"
# Maintainer scripts run outside the temporary root (it holds no shell); the icon cache they
# would refresh is the host's, so a do-nothing update-icon-caches stands in for it.
mkdir -p "$scratch/path"
printf '#!/bin/sh\nexit 0\n' >"$scratch/path/update-icon-caches"
chmod +x "$scratch/path/update-icon-caches"
dpkg_in_root() {
  PATH="$scratch/path:/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin" \
    dpkg --root="$root" --log=/dev/null --force-not-root --force-script-chrootless "$@"
}

# The runtime dependencies live on the host, not in the temporary root's database.
dpkg_in_root --force-depends -i "${packages[0]}"
dpkg_in_root -L tidewell >"$scratch/files"
echo "installed files:"
grep -v '/$' "$scratch/files" | while read -r path; do [[ -d "$root$path" ]] || echo "  $path"; done

for path in /usr/bin/tidewell /usr/libexec/tidewell/tidewell-raw-helper \
  /usr/share/applications/app.tidewell.Tidewell.desktop /usr/share/metainfo/app.tidewell.Tidewell.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/app.tidewell.Tidewell.svg \
  /usr/share/icons/hicolor/16x16/apps/app.tidewell.Tidewell.png \
  /usr/share/icons/hicolor/256x256/apps/app.tidewell.Tidewell.png \
  /usr/share/polkit-1/actions/app.tidewell.RawRecoveryHelperV2.policy \
  /usr/share/bash-completion/completions/tidewell /usr/share/zsh/vendor-completions/_tidewell \
  /usr/share/man/man1/tidewell.1.gz /usr/share/man/man8/tidewell-raw-helper.8.gz \
  /usr/share/tidewell/Tools/qpdf /usr/share/tidewell/Tools/ffmpeg /usr/share/tidewell/Tools/ffprobe; do
  grep -qx "$path" "$scratch/files" || fail "the package does not list $path"
  [[ -e "$root$path" || -L "$root$path" ]] || fail "$path was not installed"
done
# The shipped tools are the system's, linked relative to the tools folder.
[[ $(readlink "$root/usr/share/tidewell/Tools/qpdf") == ../../../bin/qpdf ]] ||
  fail "Tools/qpdf links to $(readlink "$root/usr/share/tidewell/Tools/qpdf")"

version=$("$root/usr/bin/tidewell" --version)
[[ $version == "Tidewell "* ]] || fail "tidewell --version printed '$version'"
echo "$version"
# Installed in a libexec/tidewell folder, the helper serves from there instead of copying itself.
plan=$("$root/usr/libexec/tidewell/tidewell-raw-helper" --install --dry-run --allowed-uid 1000)
[[ $plan == "use $root/usr/libexec/tidewell/tidewell-raw-helper"* ]] || fail "the helper would: $plan"

# The units the helper writes when a user first approves it go with the package.
units="$root/etc/systemd/system"
mkdir -p "$units/sockets.target.wants"
printf '[Socket]\nListenStream=/run/app.tidewell.RawRecoveryHelperV2.sock\n' >"$units/app.tidewell.RawRecoveryHelperV2.socket"
printf '[Service]\nExecStart=/usr/libexec/tidewell/tidewell-raw-helper --allowed-uid 1000\n' \
  >"$units/app.tidewell.RawRecoveryHelperV2.service"
ln -s ../app.tidewell.RawRecoveryHelperV2.socket "$units/sockets.target.wants/app.tidewell.RawRecoveryHelperV2.socket"

dpkg_in_root -r tidewell
left=$(find "$root" -path "$root/var/lib/dpkg" -prune -o ! -type d -print)
[[ -z $left ]] || fail "left after removal: $left"
rm -rf "$scratch"
