#!/usr/bin/env bash
# Fuzzes every reader of outside data with libFuzzer.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]
#
# Installs clang and libFuzzer when missing, builds the targets into
# build-fuzz/ (clang, AddressSanitizer, UndefinedBehaviorSanitizer), generates
# the media there, seeds one corpus per target from them and runs each target
# for SECONDS (default 600), two at a time. TARGET names a target without its
# "kestrune-fuzz-" prefix (x-file, wav-file, track-map, bmp-image, png-image,
# jpeg-image, dds-image, options, player-records); the default is all of them.
#
# Under build-fuzz/fuzz/: seeds/<target> (made anew each run), corpus/<target>
# (what the fuzzer learnt, kept between runs), artifacts/<target> (inputs that
# crashed, hung, leaked or asked for too much memory) and logs/<target>.log.
# Exits non-zero when any target found something; reproduce one with
#   build-fuzz/kestrune-fuzz-<target> build-fuzz/fuzz/artifacts/<target>/<file>
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  sed -n '2,17s/^# \{0,1\}//p' "$0"
  exit 0
fi

seconds=${1:-600}
shift || true
all_targets=(x-file wav-file track-map bmp-image png-image jpeg-image dds-image options
  player-records)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")

tools/install-deps.sh fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_FUZZ=ON
cmake --build build-fuzz -j2 --target fuzz

work=build-fuzz/fuzz
rm -rf "$work/seeds"
build-fuzz/kestrune-fuzz-seeds build-fuzz/media "$work/seeds"

# A run of more than ten seconds on one input is a hang; one allocation above
# the readers' own 256 MiB ceiling on a decoded picture is more than any file
# justifies.
run_target() {
  local target=$1
  local artifacts="$work/artifacts/$target"
  mkdir -p "$work/corpus/$target" "$artifacts" "$work/logs"
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=320
    -print_final_stats=1 -artifact_prefix="$artifacts/")
  [ -f "tools/fuzz/$target.dict" ] && options+=(-dict="tools/fuzz/$target.dict")
  # Mutating a megabyte costs a thousand times what a kilobyte does: the
  # largest media are cut to this, where smaller seeds already reach every
  # form. The track map keeps its full size, as the whole window it samples
  # only exists in a full-sized map.
  case "$target" in
    x-file) options+=(-max_len=131072) ;;
    wav-file | bmp-image) options+=(-max_len=65536) ;;
  esac
  local start end
  start=$(date +%s)
  "build-fuzz/kestrune-fuzz-$target" "${options[@]}" "$work/corpus/$target" "$work/seeds/$target" \
    >"$work/logs/$target.log" 2>&1 || true
  end=$(date +%s)
  echo "$((end - start))" >"$work/logs/$target.seconds"
}

# Two at a time: the machine has two cores.
rm -rf "$work/artifacts"
running=0
for target in "${targets[@]}"; do
  if [ ! -x "build-fuzz/kestrune-fuzz-$target" ]; then
    echo "no such target: $target" >&2
    exit 2
  fi
  if [ "$running" -ge 2 ]; then
    wait -n
    running=$((running - 1))
  fi
  echo "fuzzing $target for $seconds s"
  run_target "$target" &
  running=$((running + 1))
done
wait

found=0
printf '\n%-12s %8s %14s %10s %8s\n' target seconds executions corpus findings
for target in "${targets[@]}"; do
  log="$work/logs/$target.log"
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  corpus=$(find "$work/corpus/$target" -type f | wc -l)
  findings=$(find "$work/artifacts/$target" -type f | wc -l)
  printf '%-12s %8s %14s %10s %8s\n' "$target" "$(cat "$work/logs/$target.seconds")" \
    "${executions:-?}" "$corpus" "$findings"
  if [ "$findings" -gt 0 ]; then
    found=1
    find "$work/artifacts/$target" -type f -printf '  %p\n'
  fi
done
exit "$found"
