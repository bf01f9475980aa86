#!/bin/sh
# Rebuilds the demo races of data/demo from the race generator (their options
# are demoRaceOptions() in racebuilder.cpp) and the coastline script. The help
# pages (help/, help-e/) and coastline/README.md are written by hand and left
# alone. Usage: tools/racegen/make-demo.sh BUILD_DIR
set -eu
build=${1:?usage: make-demo.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
demo="$here/../../data/demo"

rm -rf "$demo/raceadmin" "$demo/gpsdat" "$demo/winddat" "$demo/attachment"
rm -f "$demo"/coastline/*.cst "$demo"/coastline/*.lh
python3 "$here/../coastline/makecoast.py" --out "$demo/coastline" \
  --sheet 5239 --sheet 5339 --sheet 5135 --sheet 5235 --overview 33.5/36.0/134.5/140.5
"$build/tools/racegen/velaro-racegen" --demo --out "$demo"
