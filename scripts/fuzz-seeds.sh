#!/usr/bin/env bash
# Makes the fuzz targets' seed inputs with real tools into FOLDER/<target>/:
# small file-system images, partition tables, media and documents, property
# lists, history records and helper inputs. Tools that are missing leave their
# seeds out; the fuzzers then start from what is there.
#   scripts/fuzz-seeds.sh FOLDER
set -uo pipefail
out=${1:?usage: fuzz-seeds.sh FOLDER}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
have() { command -v "$1" >/dev/null; }
seed() { mkdir -p "$out/$1"; cat >"$out/$1/$2"; }
first() { head -c "$1" "$2"; }  # seeds stay small: the fuzzer's inputs are at most 1 MiB

# File systems: the start of fresh images holds boot sectors, tables and the root folder.
if have mkfs.vfat && have mcopy; then
  truncate -s 40M "$work/fat32.img" && mkfs.vfat -F 32 -s 1 -n CARD "$work/fat32.img" >/dev/null
  printf 'holiday' >"$work/a.txt"
  mcopy -i "$work/fat32.img" "$work/a.txt" ::/Holiday.txt && mdel -i "$work/fat32.img" ::/Holiday.txt
  for target in fat32_scan_fuzzer orphan_folders_fuzzer fat32_long_name_fuzzer; do
    first 1048576 "$work/fat32.img" | seed "$target" fat32-head
  done
  first 1048576 "$work/fat32.img" | tail -c 4096 | seed fat32_long_name_fuzzer folder
fi
if have mkfs.exfat; then
  truncate -s 8M "$work/exfat.img" && mkfs.exfat -L CARD "$work/exfat.img" >/dev/null 2>&1 &&
    for target in exfat_scan_fuzzer orphan_folders_fuzzer; do first 1048576 "$work/exfat.img" | seed "$target" exfat-head; done
fi
if have sfdisk; then
  for label in gpt dos; do
    truncate -s 4M "$work/$label.img"
    printf 'label: %s\n,1M\n,\n' "$label" | sfdisk -q "$work/$label.img" >/dev/null 2>&1 &&
      first 65536 "$work/$label.img" | seed partition_table_fuzzer "$label"
  done
fi

# Media and pictures.
if have ffmpeg; then
  for kind in jpg png gif tiff; do
    ffmpeg -loglevel error -f lavfi -i color=c=teal:s=16x16 -frames:v 1 "$work/p.$kind" &&
      seed carving_walkers_fuzzer "picture.$kind" <"$work/p.$kind"
  done
  ffmpeg -loglevel error -f lavfi -i testsrc=s=32x32:d=0.2 -f lavfi -i sine=d=0.2 -shortest "$work/m.mp4" &&
    for target in media_probe_fuzzer media_atom_fuzzer carving_walkers_fuzzer; do seed "$target" clip.mp4 <"$work/m.mp4"; done
  ffmpeg -loglevel error -f lavfi -i sine=d=0.2 "$work/s.mp3" && seed carving_walkers_fuzzer sound.mp3 <"$work/s.mp3"
  ffmpeg -loglevel error -f lavfi -i sine=d=0.2 "$work/s.wav" && seed carving_walkers_fuzzer sound.wav <"$work/s.wav"
fi
if have zip; then
  (cd "$work" && zip -q s.zip a.txt 2>/dev/null) && seed carving_walkers_fuzzer archive.zip <"$work/s.zip"
fi
printf '%%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n2 0 obj<</Type/Pages/Kids[]/Count 0>>endobj\ntrailer<</Root 1 0 R>>\n%%%%EOF\n' |
  seed carving_walkers_fuzzer document.pdf

# Property lists, as XML and as the binary form.
cat >"$work/Info.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>app.example.Notes</string>
<key>CFBundleName</key><string>Notes</string>
<key>ProgramArguments</key><array><string>/Applications/Notes.app/Contents/MacOS/Notes</string></array>
<key>RunAtLoad</key><true/><key>Size</key><integer>42</integer>
</dict></plist>
PLIST
seed property_list_fuzzer info.xml <"$work/Info.plist"
have plistutil && plistutil -i "$work/Info.plist" -o "$work/Info.bin" -f bin 2>/dev/null &&
  seed property_list_fuzzer info.bin <"$work/Info.bin"

# History records as the stores write them.
printf '[{"id":"5F2C1E9A-3B4D-4C6E-8F10-112233445566","appName":"Notes","movedItems":["/home/a/.config/notes"],"failedItems":[],"date":700000000,"recoveredBytes":4096}]' |
  seed cleanup_history_fuzzer one
printf '[{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","sourceName":"a.zip","outputName":"a (Repaired).zip","kindRawValue":"zip","stateRawValue":"repaired","sourceSizeBytes":1,"outputSizeBytes":2,"message":"m","completedAt":700000000}]' |
  seed repair_history_fuzzer one

# Disk information: a mount table, a NUL, an lsblk answer.
{
  printf '22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n36 22 8:17 / /media/alice/CARD rw,nosuid - vfat /dev/sdb1 rw\n'
  printf '\0{"blockdevices":[{"name":"sdb1","size":1000000,"fstype":"vfat","label":"CARD","rm":true,"ro":false,"tran":"usb","hotplug":true}]}'
} | seed disk_information_fuzzer usb-card

# The helper's device policy: udev records, mount tables and device starts.
printf 'S:disk/by-label/CARD\nE:ID_BUS=usb\nE:ID_FS_TYPE=vfat\nE:ID_FS_LABEL=CARD\n' | seed device_policy_fuzzer udev
printf '30 22 8:2 / /var rw - ext4 /dev/sda2 rw\n31 22 8:17 / /media/alice/A\\040B rw - vfat /dev/sdb1 rw\n' |
  seed device_policy_fuzzer mountinfo
if have mkswap; then
  truncate -s 64K "$work/swap.img" && mkswap "$work/swap.img" >/dev/null 2>&1 && seed device_policy_fuzzer swap <"$work/swap.img"
fi
[[ -f $work/fat32.img ]] && first 8192 "$work/fat32.img" | seed device_policy_fuzzer fat32-start
exit 0
