#pragma once

#include "core/race.h"
#include "core/racefolders.h"
#include "core/readerror.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// Coastline sheets cover the globe in a grid of 40' of latitude by 60' of
// longitude. A sheet has two possible files in the coastline folder:
//
// - the classic sheet "<row><column - 100>.cst" (for example 5239.cst), fixed
//   columns relative to 5' x 7.5' blocks in the Tokyo datum, shifted to WGS 84
//   on reading. Its name and block headers hold row and column as two digits
//   each, so it serves only 6.7 N to 66.7 N and 110 E to 200 E, and elsewhere
//   the name is ambiguous ("-5151", "59-101");
// - the world sheet "w<row>_<column>.cst" with signed decimal numbers (Sydney:
//   w-51_151.cst; Valencia: w59_-1.cst), one name per sheet anywhere: "lat,lon"
//   lines in minutes of arc, WGS 84, "R,lat,lon" starting a polyline, like the
//   overview sheet.
//
// For each sheet of the window the classic file is read when it exists; only a
// sheet without one is read from its world file, so a folder of classic sheets
// reads the same whatever world sheets lie beside them. Lights
// follow the same rule with .lh. Sheet names in MapName stay the classic ones.
// World points pass through the same window filter; they carry no datum
// shift. A window wider than 50' still reads only the overview pair
// toba.cst / toba.lh, which one races folder shares among all its races.

namespace velaro {

// The race extent and centre as the map geometry computes them from the fixes
// on the replay time axis (minutes of arc).
struct CoastlineExtent {
  double MaxLat = 0;
  double MinLat = 0;
  double MaxLon = 0;
  double MinLon = 0;
  double CentreLat = 0;
  double CentreLon = 0;
};

// The area whose coastline is read, minutes of arc. Its side span is in
// minutes of latitude; the longitude side is span / 0.8.
struct CoastlineWindow {
  double span = 0;
  double centreLat = 0;
  double centreLon = 0;
  double south = 0;
  double north = 0;
  double west = 0;
  double east = 0;

  // Whether a point (or the south-west corner of a sheet block) lies in the
  // area read: up to one block (5' x 7.5') south and west of the window.
  bool covers(double lat, double lon) const {
    return lat > south - 5 && lat < north && lon < east && lon > west - 7.5;
  }
};

inline constexpr double kMinCoastlineSpan = 3;
// A window wider than this uses the overview sheet instead of the grid.
inline constexpr double kMaxSheetSpan = 50;
inline constexpr const char* kOverviewSheetName = "TOBA";
inline constexpr const char* kOverviewCoastlineFile = "toba.cst";
inline constexpr const char* kOverviewLightsFile = "toba.lh";
// Fewer stored points than this are drawn as they are.
inline constexpr int kMinPointsFiltered = 11;

CoastlineWindow coastlineWindow(const CoastlineExtent& extent);

// Sheet grid: a sheet is 40' of latitude by 60' of longitude. Its name is the
// row followed by the column - 100 (row 53, column 139: "5339").
inline constexpr double kSheetLatMinutes = 40;
inline constexpr double kSheetLonMinutes = 60;
int sheetRow(double lat);
int sheetColumn(double lon);
QString sheetName(int row, int column);
// The unambiguous name of the same sheet: "w<row>_<column>" (w59_-1).
QString worldSheetName(int row, int column);

struct SheetCell {
  int row = 0;
  int column = 0;
  friend bool operator==(const SheetCell&, const SheetCell&) = default;
};
// The grid sheets the window crosses, row by row from the south-west; none for
// the overview or for a window that is no place on the globe.
std::vector<SheetCell> sheetCells(const CoastlineWindow& window);

// The sheets covering the window, row by row from the south-west; just the
// overview sheet "TOBA" when the window is wider than 50'. At most
// kMaxMapNames names; none when the window is not a place on the globe.
QStringList chooseSheets(const CoastlineWindow& window);

// Correction from the sheets' datum (Tokyo, Bessel ellipsoid) to the tracks'
// (WGS 84), for a centre in minutes of arc.
struct DatumShiftResult {
  double lat = 0;  // minutes, added to sheet latitudes
  double lon = 0;  // minutes, added to sheet longitudes
  double shiftedCentreLat = 0;
  double shiftedCentreLon = 0;
};
DatumShiftResult DatumShift(double centreLat, double centreLon);

struct CoastlineSheetResult {
  Coastline coastline;
  std::optional<ReadError> error;
};

// One grid sheet (.cst) in memory: only blocks the window covers are
// converted, points shifted by shift. No window filter (see filterCoastline).
CoastlineSheetResult parseCoastlineSheet(QByteArrayView bytes, const QString& fileName,
                                         const CoastlineWindow& window, const DatumShiftResult& shift);

// The overview sheet (toba.cst) in memory: "lat,lon" lines, "R,lat,lon"
// starting a new polyline; no shift, no filter.
CoastlineSheetResult parseOverviewSheet(QByteArrayView bytes, const QString& fileName);

// Keeps the points the window covers, splitting polylines where points were
// dropped; ten or fewer points in all are kept as they are.
Coastline filterCoastline(const Coastline& coastline, const CoastlineWindow& window);

// What reading one file of the coastline folder gave: no bytes when the file
// is missing (or its name refused), an error when it exists but cannot be read.
struct CoastlineFile {
  std::optional<QByteArray> bytes;
  std::optional<ReadError> error;
};
using CoastlineFileSource = std::function<CoastlineFile(const QString& fileName)>;

// Files of <races folder>/coastline.
CoastlineFileSource coastlineFolderFiles(const RaceFolders& folders);

struct CoastlineResult {
  QStringList MapName;  // the sheets chosen; replaces the MAP record's names
  Coastline coastline;
  std::vector<Light> lights;
  DatumShiftResult datumShift;  // zero for the overview sheet
  std::optional<ReadError> error;
};

// Chooses the sheets for the race extent and reads their coastlines and
// lights, each from the classic file or else the world file of the sheet.
// Missing files are skipped without an error.
CoastlineResult ReadCoastline(const CoastlineExtent& extent, const CoastlineFileSource& files);
CoastlineResult ReadCoastline(const RaceFolders& folders, const CoastlineExtent& extent);

}  // namespace velaro
