#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in their own build folder and
# runs them from their seed corpora.
#   scripts/fuzz.sh [--build-only] [TARGET] [SECONDS]
# TARGET: one fuzz/<TARGET>.cpp (default: every target); SECONDS per target
# (default 60). TIDEWELL_FUZZ_BUILD overrides the build folder (build/fuzz).
# Exits non-zero when a target does not build or a run finds a fault.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_only=0
if [[ ${1:-} == --build-only ]]; then build_only=1; shift; fi
target=${1:-all}
seconds=${2:-60}
build=${TIDEWELL_FUZZ_BUILD:-$root/build/fuzz}

command -v clang++ >/dev/null || { echo "fuzz: clang++ is needed" >&2; exit 2; }
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DTIDEWELL_FUZZ=ON -DTIDEWELL_TESTS=OFF \
  -DCMAKE_BUILD_TYPE= >/dev/null
if [[ $target == all ]]; then
  cmake --build "$build" --target fuzzers
  mapfile -t targets < <(cd "$root/fuzz" && ls -- *_fuzzer.cpp | sed 's/\.cpp$//')
else
  [[ -f $root/fuzz/$target.cpp ]] || { echo "fuzz: no fuzz/$target.cpp" >&2; exit 2; }
  cmake --build "$build" --target "$target"
  targets=("$target")
fi
[[ $build_only == 1 ]] && exit 0

"$root/scripts/fuzz-seeds.sh" "$build/seeds"
failed=()
for name in "${targets[@]}"; do
  # New inputs go to a working corpus in the build folder; the seeds stay as they are.
  work="$build/corpus/$name"
  mkdir -p "$work"
  seeds=()
  for folder in "$root/fuzz/corpus/$name" "$build/seeds/$name"; do
    [[ -d $folder ]] && seeds+=("$folder")
  done
  echo "fuzz: $name for ${seconds}s"
  log="$build/$name.log"
  if (cd "$build" && "$build/fuzz/$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 \
      -max_len=1048576 -print_final_stats=1 "$work" "${seeds[@]}" >"$log" 2>&1); then
    grep -E '^stat::number_of_executed_units' "$log" | sed "s/^/fuzz: $name /"
  else
    tail -n 40 "$log" >&2
    failed+=("$name")
  fi
done
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz: faults in ${failed[*]} (logs and crash inputs in $build)" >&2
  exit 1
fi
