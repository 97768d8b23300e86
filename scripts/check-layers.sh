#!/usr/bin/env bash
# Fails when a source file includes a header from a layer it may not use: layers
# point down only, and no engine reaches into another (the deleted recovery may
# use the readable recovery's volume values).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root/src"

# folder: the layers its files may include, besides its own
declare -A allowed=(
  [util]=""
  [platform]="util"
  [process]="util platform"
  [firstaid]="util platform process"
  [cleanup]="util platform process"
  [recovery/readable]="util platform process"
  [recovery/deleted]="util platform process recovery/readable"
)

status=0
for folder in "${!allowed[@]}"; do
  while IFS=: read -r file line included; do
    layer=${included#*\"}
    layer=${layer%%/*}
    [[ $layer == recovery ]] && layer=$(sed -E 's#.*"(recovery/[a-z]+)/.*#\1#' <<<"$included")
    [[ $layer == "$folder" || " ${allowed[$folder]} " == *" $layer "* ]] && continue
    echo "$file:$line: ${folder} may not include ${included#*#include }" >&2
    status=1
  done < <(grep -rn --include='*.cpp' --include='*.h' '^#include "' "$folder" || true)
done
exit $status
