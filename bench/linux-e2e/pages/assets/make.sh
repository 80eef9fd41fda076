#!/usr/bin/env bash
# Writes the 300-asset page into the folder given: 100 style sheets, 100 scripts and 100 images.
set -euo pipefail
dir=$1
mkdir -p "$dir/assets"
{
  echo '<!doctype html><html><head><meta charset="utf-8"><title>assets</title><script src="bench.js"></script>'
  for i in $(seq 1 100); do
    echo ".c$i { color: rgb($i, 0, 0); }" >"$dir/assets/s$i.css"
    echo "window.v$i = $i;" >"$dir/assets/j$i.js"
    echo '<link rel="stylesheet" href="assets/s'$i'.css">'
  done
  echo '</head><body><h1>300 assets</h1>'
  for i in $(seq 1 100); do
    echo '<script src="assets/j'$i'.js"></script>'
    echo '<img src="assets/i'$i'.png" width="16" height="16">'
  done
  echo "<script>window.addEventListener('load', () => benchReport(performance.now().toFixed(1)));</script>"
  echo '</body></html>'
} >"$dir/index.html"
convert -size 16x16 xc:'#3b6fd4' "$dir/assets/i1.png"
for i in $(seq 2 100); do cp "$dir/assets/i1.png" "$dir/assets/i$i.png"; done
