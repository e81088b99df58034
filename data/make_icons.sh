#!/usr/bin/env bash
# Makes the desktop's icon sizes from the program's 32 x 32 icon: whole multiples keep its
# pixels sharp, the small sizes are scaled down smoothly.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$here/../resources/app.ico
for size in 16 22 24 32 48 64 128 256; do
  out=$here/icons/hicolor/${size}x${size}/apps
  mkdir -p "$out"
  if [ $((size % 32)) -eq 0 ]; then filter=point; else filter=Lanczos; fi
  convert "ico:$src" -filter $filter -resize ${size}x${size} -strip "png32:$out/glimmer.png"
done
