#!/usr/bin/env bash
# The Windows module: build-win32 (i686, the module that ships) and
# build-win64 (x86_64, the same sources), then the Windows tests under Wine in
# build-win64 (the dialog tests on a virtual X display), a silent run of the
# reference host compared with the native core, and a picture of the main
# dialog. Needs the native tree `build` (its qlnref draws the resources).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=$root/build/bin
[[ -x $native/qlnref ]] || "$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Release -DQUILLAN_BENCH=OFF
# 32-bit programs cannot run here: that tree builds the module, its platform
# DLLs and the host (with the 32-bit layouts checked while compiling) and no
# tests.
"$root/scripts/build.sh" build-win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQUILLAN_BENCH=OFF -DQUILLAN_TESTS=OFF -DQUILLAN_NATIVE_TOOLS="$native"
"$root/scripts/build.sh" build-win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQUILLAN_BENCH=OFF -DQUILLAN_NATIVE_TOOLS="$native"

win=$root/build-win64
export WINEPREFIX=$win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
status=0
# Every Windows test program and the portable suites built for Windows.
# A Windows program that Wine fails to start (an exit within milliseconds and
# no output, seen once in many runs while wineserver is busy) is run once
# more; ctest still prints the first failure.
(cd "$win" && ctest --output-on-failure -j "$(nproc)" --repeat until-pass:2) || status=1

# The shipping module's exports and the libraries it needs.
i686-w64-mingw32-objdump -p "$root/build-win32/bin/qlnprism.dll" |
  grep -E '^\s+\[ *[0-9]+\] Vantrel|DLL Name' || status=1

# Stored records rendered by the module under Wine and by the core natively:
# every template on its own, a storyboard script, and the module's defaults
# (created by the host on first use).
work=$win/compare
rm -rf "$work"
mkdir -p "$work"
python3 "$root/scripts/bmp-tools.py" gradient "$work/source.bmp" 320 200
python3 - "$work" <<'PY'
import struct, sys
def record(path, template, mode, script, hue=0, ring=3, mirror=0, repeat=100, ramp=((0, 0, 0, 0), (255, 255, 255, 255))):
    words = [template, repeat, 135, hue, 0, 0, 500, 50, mirror, ring, 6, 3, mode, 1, 0, 0]
    data = struct.pack('<16i', *words) + struct.pack('<i', len(ramp))
    data += b''.join(bytes(s) for s in ramp) + bytes(4 * (256 - len(ramp)))
    data += script.ljust(256, b'\0')
    assert len(data) == 1348
    open(path, 'wb').write(data)
for t in range(19):
    record(f"{sys.argv[1]}/template{t + 1:02d}.rec", t, 0, b'')
record(f"{sys.argv[1]}/storyboard.rec", 4, 1, b'[000]071-142-065-133|()', hue=40, ring=200, mirror=1,
       repeat=230, ramp=((0, 20, 10, 80), (90, 250, 200, 40), (170, 200, 30, 60), (255, 255, 255, 255)))
PY
records=$(cd "$work" && ls template*.rec storyboard.rec)
for rec in $records default.rec; do
  name=${rec%.rec}
  (cd "$win/bin" && DISPLAY= wine quillanhost.exe --silent --record "$work/$rec" \
    "$work/source.bmp" "$work/$name-wine.bmp" >/dev/null) || status=1
  "$native/qlnref" render "$work/$rec" "$work/source.bmp" "$work/$name-native.bmp" || status=1
  echo -n "$name: " | tee -a "$work/summary.txt"
  "$native/qlnref" compare "$work/$name-wine.bmp" "$work/$name-native.bmp" | tee -a "$work/summary.txt" || status=1
done
(cd "$win/bin" && DISPLAY= wine quillanhost.exe --info) || status=1

# Pictures the window tests saved: the main dialog after a session in both
# layouts, the Palette Ramp Editor with a stop added, the Animation dialog,
# the thumbnail-list windows, the Load Pattern From Library dialog.
for shot in main_normal main_advanced ramp_editor animation_dialog clips_grid load_library; do
  if [[ -f $win/$shot.bmp ]]; then
    python3 "$root/scripts/bmp-tools.py" png "$win/$shot.bmp" "$win/$shot.png" &&
      echo "picture: $win/$shot.png"
  fi
done

exit $status
