#!/bin/sh
# Rebuilds the demo races of data/demo from the race generator and the
# coastline script. The help pages (help/, help-e/) are written by hand and
# left alone. Usage: tools/racegen/make-demo.sh BUILD_DIR
set -eu
build=${1:?usage: make-demo.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
demo="$here/../../data/demo"
racegen="$build/tools/racegen/velaro-racegen"

rm -rf "$demo/raceadmin" "$demo/gpsdat" "$demo/winddat" "$demo/attachment"
rm -f "$demo"/coastline/*.cst "$demo"/coastline/*.lh
python3 "$here/../coastline/makecoast.py" --out "$demo/coastline" \
  --sheet 5239 --sheet 5339 --sheet 5135 --sheet 5235 --overview 33.5/36.0/134.5/140.5

"$racegen" --out "$demo" --name enoshima-spring --first --boats 12 --course wl --laps 2 \
  --location enoshima --names mixed --seed 20250518 --date 2025/05/18 --time 11:00 --duration 40 \
  --title "Enoshima Spring Regatta R1"
"$racegen" --out "$demo" --name nishinomiya-summer --boats 20 --course triangle --laps 2 \
  --location nishinomiya --names en --seed 20250824 --date 2025/08/24 --time 13:30 --duration 45 \
  --title "Nishinomiya Summer Series R3"
"$racegen" --out "$demo" --name enoshima-autumn --boats 6 --course wl --laps 1 --north-up \
  --location enoshima --names ja --seed 20251012 --date 2025/10/12 --time 10:30 --duration 25 \
  --wind 240 --wind-speed 12 --no-retire --title "江の島 秋季レース 第2レース"
