#!/usr/bin/env bash
# Wall time and peak memory of whole renders, best of 3 each, in one run:
#   - a 4096x4096 one-operation texture (template 6) written as PNG, beside
#     G'MIC evaluating the same formula to a PNG of the same size when gmic is
#     installed;
#   - a 16384x16384 PNG of the same texture (memory only: one run);
#   - 100 frames at 640x480 of a four-operation storyboard as an animated GIF
#     and as a BMP sequence.
#
#   bench/render-bench.sh [path/to/quillan]      (default build/bin/quillan)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quillan=${1:-$root/build/bin/quillan}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Best wall time (s) and the peak resident memory (MB) of that run, of 3 runs.
best_of_3() {
  local best="" mem=""
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1
    read -r t m <"$work/time"
    if [[ -z $best ]] || awk "BEGIN{exit !($t < $best)}"; then best=$t mem=$((m / 1024)); fi
  done
  echo "$best $mem"
}

report() { printf '%-44s %7s s %7s MB\n' "$1" "$2" "$3"; }

read -r qt qm < <(best_of_3 "$quillan" render --template 6 --size 4096x4096 -o "$work/q.png")
report "quillan render 4096x4096 PNG" "$qt" "$qm"
if command -v gmic >/dev/null; then
  # Template 6 and sample 3 of the default record: v = (sin(pi x) + y)(cos(pi y) + x),
  # wrapped into 0..1 and spread over three channels.
  formula='xx=x/(w-1);yy=y/(h-1);v=(sin(pi*xx)+yy)*(cos(pi*yy)+xx);f=v-floor(v);'
  formula+='255*(c==0?f:c==1?1-f:abs(2*f-1))'
  read -r gt gm < <(best_of_3 gmic 4096,4096,1,3,"$formula" -o "$work/g.png")
  report "gmic same formula 4096x4096 PNG" "$gt" "$gm"
  echo "quillan / gmic: $(awk "BEGIN{printf \"%.2f\", $qt / $gt}")"
fi
/usr/bin/time -f "%e %M" -o "$work/time" "$quillan" render --template 6 --size 16384x16384 \
  -o "$work/big.png" >/dev/null 2>&1
read -r bt bm <"$work/time"
report "quillan render 16384x16384 PNG (one run)" "$bt" "$((bm / 1024))"

script='[000]071-142-123-065-()'
read -r at am < <(best_of_3 "$quillan" animate --script "$script" --frames 100 --size 640x480 \
  -o "$work/a.gif")
report "quillan animate 100 x 640x480 GIF" "$at" "$am"
read -r st sm < <(best_of_3 "$quillan" animate --script "$script" --frames 100 --size 640x480 \
  -o "$work/a.bmp")
report "quillan animate 100 x 640x480 BMP" "$st" "$sm"
echo "GIF / BMP: $(awk "BEGIN{printf \"%.2f\", $at / $st}")"
