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
targets=(iio_load_fuzzer:65536:iio record_fuzzer:1400:record presets_fuzzer:12000:presets
  template_file_fuzzer:12000:templates bmp_fuzzer:4096:bmp script_fuzzer:300:script)
each=$(((seconds + ${#targets[@]} - 1) / ${#targets[@]}))

CXX=clang++ cmake -S "$root" -B "$tree" -G Ninja -DQUILLAN_FUZZ=ON -DQUILLAN_TESTS=OFF \
  -DQUILLAN_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$tree" -j "$(nproc)" --target quillan "${targets[@]%%:*}"
rm -rf "$tree/seeds" "$tree/findings"
seeds=$tree/seeds
mkdir -p "$seeds"/{iio,record,bmp,script,presets,templates}
cp "$root/data/gfill.xpl" "$seeds/presets/"
cp "$root/data/prismno.dat" "$seeds/templates/"
# Records, images, scripts and pattern libraries (list files) as the command
# line makes them, and the words at the ends of their ranges that a host may
# hand over.
quillan=$tree/bin/quillan
n=0
for script in '[000]051-123|()' '011-022-033|044-' '193-' \
  '011-021-031-041-051-061-071-081-091-101-111-121-131-141-151-161-171-181-191-'; do
  n=$((n + 1))
  "$quillan" record new -o "$seeds/record/s$n.rec" --script "$script" --preset $((n * 7)) \
    --hue $((n * 40)) --ring $((n * 80))
  printf '%s' "$script" >"$seeds/script/s$n.txt"
  "$quillan" render --record "$seeds/record/s$n.rec" --size $((n + 2))x$((n + 1)) -o "$seeds/bmp/i$n.bmp"
  "$quillan" library --library "$seeds/iio/l$n.pst" add --record "$seeds/record/s$n.rec" --name "P$n"
  if ((n > 1)); then
    "$quillan" library --library "$seeds/iio/l$n.pst" add --record "$seeds/record/s1.rec" --name "Q$n"
  fi
done
for word in '\xff\xff\xff\x7f' '\x00\x00\x00\x80' '\xff\xff\xff\xff'; do
  n=$((n + 1))
  { printf "$word$word$word"; tail -c +13 "$seeds/record/s1.rec"; } >"$seeds/record/w$n.rec"
done
# The fuzzers' scratch files, in memory when the system has it.
work=$(mktemp -d -p /dev/shm quillan-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
for entry in "${targets[@]}"; do
  IFS=: read -r target max_len seeds <<<"$entry"
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
