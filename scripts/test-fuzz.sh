#!/usr/bin/env bash
# The thumbnail-list file reader under libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) for a bounded time, starting from a seed corpus
# that the list service writes itself. A crash, a sanitizer report, a leak, a
# hang or a broken round trip fails the run and leaves the input in
# build-fuzz/findings/.
#   scripts/test-fuzz.sh [SECONDS]      (default 60)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
tree=$root/build-fuzz
CXX=clang++ cmake -S "$root" -B "$tree" -G Ninja -DQUILLAN_FUZZ=ON -DQUILLAN_TESTS=OFF \
  -DQUILLAN_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$tree" -j "$(nproc)" --target iio_load_fuzzer iio_seed_corpus
rm -rf "$tree/seeds" "$tree/findings"
mkdir -p "$tree/seeds" "$tree/corpus" "$tree/findings"
"$tree/bin/iio_seed_corpus" "$tree/seeds"
log=$tree/fuzz.log
# The fuzzer's scratch files, in memory when the system has it.
work=$(mktemp -d -p /dev/shm quillan-iio-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
QUILLAN_FUZZ_WORK=$work "$tree/bin/iio_load_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=16384 -print_final_stats=1 -artifact_prefix="$tree/findings/" \
  "$tree/corpus" "$tree/seeds" >"$log" 2>&1 || status=$?
grep -E '^(Done|#[0-9]+ *DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
echo "corpus: $(ls "$tree/corpus" | wc -l) inputs, findings: $(ls "$tree/findings" | wc -l)"
if ((status != 0)) || [[ -n $(ls "$tree/findings") ]]; then
  echo "fuzzing found a problem (exit $status); see $log and $tree/findings/" >&2
  tail -40 "$log" >&2
  exit 1
fi
