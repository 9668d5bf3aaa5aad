#!/usr/bin/env bash
# Every test: the release build and a second tree under AddressSanitizer and
# UndefinedBehaviorSanitizer, a minute of fuzzing the list file reader, then
# the Windows module built for 32-bit (shipping) and 64-bit Windows, whose
# tests run under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Release
"$root/scripts/build.sh" build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLAN_SANITIZE=ON -DQUILLAN_BENCH=OFF
status=0
(cd "$root/build-asan" && ctest --output-on-failure -j "$(nproc)") || status=1
(cd "$root/build" && ctest --output-on-failure -j "$(nproc)") || status=1
# The list file reader under libFuzzer, for a bounded time.
"$root/scripts/test-fuzz.sh" 60 || status=1
"$root/scripts/test-windows.sh" || status=1
exit $status
