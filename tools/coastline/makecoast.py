#!/usr/bin/env python3
"""Coastline sheets for Velaro from the GSHHG shorelines.

Reads the shoreline polylines of an area through the `gmt coast` command (the
Debian packages gmt and gmt-gshhg-high / gmt-gshhg-low) and writes, into the
coastline folder of a races folder:

  <row><column-100>.cst  grid sheets of 40' of latitude by 60' of longitude,
                         cut into 8 x 8 blocks of 5' x 7.5', points in
                         fixed columns relative to their block, in the Tokyo
                         datum (the reader shifts them back to WGS 84);
  <row><column-100>.lh   the lights of the sheet from lights.csv;
  toba.cst / toba.lh     the overview sheet: "lat,lon" lines in minutes of
                         arc, "R,lat,lon" starting a polyline (WGS 84).

Usage:
  makecoast.py --out DIR --sheet 5239 --sheet 5135 ...
               [--overview S/N/W/E] [--resolution h] [--lights lights.csv]

Everything written is a function of the GSHHG release and the arguments, so
running it twice gives the same bytes.
"""
import argparse
import csv
import math
import os
import subprocess
import sys

BLOCKS = 8
BLOCK_LAT = 5.0     # minutes
BLOCK_LON = 7.5     # minutes
UNITS = 10000       # steps of a block side in the point columns


def datum_shift(lat_min, lon_min):
    """Tokyo (Bessel) to WGS 84 correction in minutes, as the reader applies it."""
    a = 6377397.155
    f = 0.0033427731799399794
    e2 = 2 * f - f * f
    phi = math.radians(lat_min / 60.0)
    lam = math.radians(lon_min / 60.0)
    n = a / math.sqrt(1 - e2 * math.sin(phi) ** 2)
    x = n * math.cos(phi) * math.cos(lam) - 148
    y = n * math.cos(phi) * math.sin(lam) + 508
    z = n * (1 - e2) * math.sin(phi) + 680
    lam2 = math.degrees(math.atan(y / x))
    if lam2 > 180:
        lam2 -= 180
    if lam2 < 0:
        lam2 += 180
    f2 = 0.003352810681182319
    e22 = 2 * f2 - f2 * f2
    phi2 = math.degrees(math.atan((z / (1 - e22)) / (y / math.sin(math.radians(lam2)))))
    return (phi2 - lat_min / 60.0) * 60.0, (lam2 - lon_min / 60.0) * 60.0


def gmt_shorelines(south, north, west, east, resolution, min_area):
    """Polylines [(lat_min, lon_min), ...] of the shore inside the region (degrees)."""
    cmd = ["gmt", "coast", "-R%.6f/%.6f/%.6f/%.6f" % (west, east, south, north),
           "-D" + resolution, "-W", "-M", "-A%g" % min_area]
    text = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
    lines, current = [], []
    for row in text.splitlines():
        if row.startswith(">"):
            if len(current) > 1:
                lines.append(current)
            current = []
            continue
        parts = row.split()
        if len(parts) >= 2:
            current.append((float(parts[1]) * 60.0, float(parts[0]) * 60.0))
    if len(current) > 1:
        lines.append(current)
    return lines


def clip_segment(p, q, box):
    """Liang-Barsky: the part of p-q inside box (s, n, w, e) or None."""
    s, n, w, e = box
    t0, t1 = 0.0, 1.0
    dlat, dlon = q[0] - p[0], q[1] - p[1]
    for d, lo, hi, v in ((dlat, s, n, p[0]), (dlon, w, e, p[1])):
        if d == 0:
            if v < lo or v > hi:
                return None
            continue
        ta, tb = (lo - v) / d, (hi - v) / d
        if ta > tb:
            ta, tb = tb, ta
        t0, t1 = max(t0, ta), min(t1, tb)
        if t0 > t1:
            return None
    return ((p[0] + t0 * dlat, p[1] + t0 * dlon), (p[0] + t1 * dlat, p[1] + t1 * dlon))


def clip_polyline(points, box):
    """The runs of a polyline inside box, each a list of points."""
    runs, run = [], []
    for p, q in zip(points, points[1:]):
        seg = clip_segment(p, q, box)
        if seg is None:
            if len(run) > 1:
                runs.append(run)
            run = []
            continue
        a, b = seg
        if run and (abs(run[-1][0] - a[0]) > 1e-9 or abs(run[-1][1] - a[1]) > 1e-9):
            if len(run) > 1:
                runs.append(run)
            run = []
        if not run:
            run.append(a)
        run.append(b)
    if len(run) > 1:
        runs.append(run)
    return runs


def sheet_text(row, col, polylines):
    """The .cst text of one sheet from polylines in Tokyo-datum minutes."""
    out = []
    for r in range(BLOCKS):
        for s in range(BLOCKS):
            south = row * 40 + r * BLOCK_LAT
            west = col * 60 + s * BLOCK_LON
            box = (south, south + BLOCK_LAT, west, west + BLOCK_LON)
            runs = []
            for line in polylines:
                runs.extend(clip_polyline(line, box))
            if not runs:
                continue
            out.append("M %02d%02d%d%d" % (row, col - 100, r, s))
            for run in runs:
                cells = []
                for lat, lon in run:
                    x = min(UNITS, max(0, round((lon - west) / BLOCK_LON * UNITS)))
                    y = min(UNITS, max(0, round((lat - south) / BLOCK_LAT * UNITS)))
                    if cells and cells[-1] == (x, y):
                        continue
                    cells.append((x, y))
                if len(cells) < 2:
                    continue
                out.append("L" + " " * 48 + "%6d" % len(cells))
                for i in range(0, len(cells), 7):
                    out.append("".join("%5d%5d" % c for c in cells[i:i + 7]))
    return "\r\n".join(out) + ("\r\n" if out else "")


def read_lights(path):
    lights = []
    with open(path, newline="", encoding="utf-8") as f:
        for row in csv.reader(f):
            if not row or row[0].startswith("#"):
                continue
            kind, lat, lon, period, on, colour, rng = [c.strip() for c in row[:7]]
            lights.append((kind, float(lat), float(lon), int(period), int(on), colour, float(rng)))
    return lights


def light_line(light):
    kind, lat, lon, period, on, colour, rng = light
    latm, lonm = lat * 60.0, lon * 60.0
    return "%s,%02d%05.2f,%03d%05.2f,%d,%d,%s,%g" % (
        kind, int(latm // 60), latm - 60 * int(latm // 60), int(lonm // 60), lonm - 60 * int(lonm // 60),
        period, on, colour, rng)


def write(path, text):
    with open(path, "w", encoding="ascii", newline="") as f:
        f.write(text)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", required=True)
    ap.add_argument("--sheet", action="append", default=[], help="sheet name such as 5239")
    ap.add_argument("--overview", help="S/N/W/E in degrees for toba.cst")
    ap.add_argument("--resolution", default="f", help="GSHHG resolution: c l i h f")
    ap.add_argument("--overview-resolution", default="i")
    ap.add_argument("--lights", default=os.path.join(os.path.dirname(__file__), "lights.csv"))
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    lights = read_lights(args.lights) if os.path.exists(args.lights) else []

    for name in args.sheet:
        row, col = int(name[:2]), int(name[2:]) + 100
        south, west = row * 40.0, col * 60.0
        # A margin so that lines leaving the sheet are cut at its edge, not
        # at the first point outside it.
        shore = gmt_shorelines(south / 60 - 0.05, (south + 40) / 60 + 0.05, west / 60 - 0.05,
                               (west + 60) / 60 + 0.05, args.resolution, 0.01)
        tokyo = []
        for line in shore:
            moved = []
            for lat, lon in line:
                dlat, dlon = datum_shift(lat, lon)
                moved.append((lat - dlat, lon - dlon))
            tokyo.append(moved)
        write(os.path.join(args.out, name + ".cst"), sheet_text(row, col, tokyo))
        inside = [l for l in lights if south <= l[1] * 60 < south + 40 and west <= l[2] * 60 < west + 60]
        write(os.path.join(args.out, name + ".lh"), "".join(light_line(l) + "\r\n" for l in inside))

    if args.overview:
        s, n, w, e = (float(v) for v in args.overview.split("/"))
        shore = gmt_shorelines(s, n, w, e, args.overview_resolution, 5)
        out = []
        for line in shore:
            out.append("R,%.3f,%.3f" % line[0])
            out.extend("%.3f,%.3f" % p for p in line[1:])
        write(os.path.join(args.out, "toba.cst"), "\r\n".join(out) + "\r\n")
        inside = [l for l in lights if s <= l[1] < n and w <= l[2] < e]
        write(os.path.join(args.out, "toba.lh"), "".join(light_line(l) + "\r\n" for l in inside))
    return 0


if __name__ == "__main__":
    sys.exit(main())
