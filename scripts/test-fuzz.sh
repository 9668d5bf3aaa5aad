#!/usr/bin/env bash
# Every input reader under libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) for a bounded time, the given seconds shared
# among the targets: the thumbnail-list files, host records (silent run,
# thumbnail render and a two-frame animation), the presets and template
# files, BMP images and script texts. Each target first replays its kept
# regression inputs (fuzz/regressions/TARGET/), then fuzzes from a seed corpus
# that the services write themselves plus the shipped data files. A crash, a
# sanitizer report, a leak, a hang or a broken invariant fails the run and
# leaves the input in build-fuzz/findings/TARGET/.
#   scripts/test-fuzz.sh [SECONDS]      (default 60)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
tree=$root/build-fuzz
# target:max_len:seed folder
targets=(iio_load_fuzzer:16384:iio record_fuzzer:1400:record presets_fuzzer:12000:presets
  template_file_fuzzer:12000:templates bmp_fuzzer:4096:bmp script_fuzzer:300:script)
each=$(((seconds + ${#targets[@]} - 1) / ${#targets[@]}))

CXX=clang++ cmake -S "$root" -B "$tree" -G Ninja -DQUILLAN_FUZZ=ON -DQUILLAN_TESTS=OFF \
  -DQUILLAN_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$tree" -j "$(nproc)" --target fuzz_seed_corpus "${targets[@]%%:*}"
rm -rf "$tree/seeds" "$tree/findings"
mkdir -p "$tree/seeds/presets" "$tree/seeds/templates"
"$tree/bin/fuzz_seed_corpus" "$tree/seeds"
cp "$root/data/gfill.xpl" "$tree/seeds/presets/"
cp "$root/data/prismno.dat" "$tree/seeds/templates/"
# The fuzzers' scratch files, in memory when the system has it.
work=$(mktemp -d -p /dev/shm quillan-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
for spec in "${targets[@]}"; do
  IFS=: read -r target max_len seeds <<<"$spec"
  fuzzer=$tree/bin/$target
  findings=$tree/findings/$target
  corpus=$tree/corpus/$target
  log=$tree/$target.log
  mkdir -p "$findings" "$corpus"
  options=(-timeout=10 -rss_limit_mb=2048 -max_len="$max_len" -artifact_prefix="$findings/")
  status=0
  : >"$log"
  regressions=$root/fuzz/regressions/$target
  if [[ -d $regressions ]]; then
    QUILLAN_FUZZ_WORK=$work "$fuzzer" "${options[@]}" "$regressions"/* >>"$log" 2>&1 || status=$?
  fi
  if ((status == 0)); then
    QUILLAN_FUZZ_WORK=$work "$fuzzer" "${options[@]}" -max_total_time="$each" \
      -print_final_stats=1 "$corpus" "$tree/seeds/$seeds" >>"$log" 2>&1 || status=$?
  fi
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo 0)
  echo "$target: $runs runs, corpus $(ls "$corpus" | wc -l), findings $(ls "$findings" | wc -l)"
  if ((status != 0)) || [[ -n $(ls "$findings") ]]; then
    echo "$target found a problem (exit $status); see $log and $findings/" >&2
    tail -40 "$log" >&2
    failed=1
  fi
done
exit $failed
