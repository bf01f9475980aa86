#include "core/readers/coastlinereader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace velaro {
namespace {

CoastlineExtent extentAround(double centreLat, double centreLon, double latSide, double lonSide) {
  return {centreLat + latSide / 2,
          centreLat - latSide / 2,
          centreLon + lonSide / 2,
          centreLon - lonSide / 2,
          centreLat,
          centreLon};
}

// Sheet file lines in their fixed columns.
QByteArray blockLine(int sheetRow, int sheetColumn, int blockRow, int blockColumn) {
  return "M " + QByteArray::number(sheetRow).rightJustified(2, '0') +
         QByteArray::number(sheetColumn - 100).rightJustified(2, '0') + QByteArray::number(blockRow) +
         QByteArray::number(blockColumn) + "\r\n";
}
QByteArray polylineLine(int count) {
  return "L" + QByteArray(48, ' ') + QByteArray::number(count).rightJustified(6, ' ') + "  extra\r\n";
}
QByteArray pointLine(std::initializer_list<std::pair<int, int>> xy) {
  QByteArray line;
  for (const auto& [x, y] : xy) {
    line += QByteArray::number(x).rightJustified(5, ' ') + QByteArray::number(y).rightJustified(5, ' ');
  }
  return line + "\r\n";
}

std::vector<int> polylineSizes(const Coastline& c) {
  std::vector<int> sizes;
  for (const auto& p : c.polylines) {
    sizes.push_back(static_cast<int>(p.size()));
  }
  return sizes;
}

TEST(CoastlineWindow, SpanIsTheWiderSideWithAFifthAddedAndAtLeastThree) {
  struct Case {
    double latSide, lonSide, span;
  };
  const Case cases[] = {
      {2, 2, 3},                         // a small race uses the minimum
      {0, 0, 3},                         // a single point too
      {2.5, 0, 3},                       // 3 exactly
      {10, 0, 12},                       // latitude decides
      {0, 20, 19.2},                     // longitude counts 0.8 of a minute of latitude
      {10, 20, 19.2}, {-10, -20, 19.2},  // an extent given upside down still spans
  };
  for (const Case& c : cases) {
    CoastlineExtent e = extentAround(2130, 8370, c.latSide, c.lonSide);
    const CoastlineWindow w = coastlineWindow(e);
    EXPECT_NEAR(w.span, c.span, 1e-9) << c.latSide << " " << c.lonSide;
    EXPECT_NEAR(w.south, 2130 - c.span / 2, 1e-9);
    EXPECT_NEAR(w.north, 2130 + c.span / 2, 1e-9);
    EXPECT_NEAR(w.west, 8370 - c.span / 1.6, 1e-9);
    EXPECT_NEAR(w.east, 8370 + c.span / 1.6, 1e-9);
  }
}

TEST(CoastlineSheets, GridRowsColumnsAndNames) {
  EXPECT_EQ(sheetRow(2130), 53);
  EXPECT_EQ(sheetColumn(8370), 139);
  EXPECT_EQ(sheetName(53, 139), QStringLiteral("5339"));
  EXPECT_EQ(sheetName(36, 122), QStringLiteral("3622"));
  // On a sheet edge the halves go to even: the edge at 2120 belongs to row 52,
  // the one at 2160 to row 54. Either way only a touching sheet is added.
  EXPECT_EQ(sheetRow(2120), 52);
  EXPECT_EQ(sheetRow(2160), 54);
  EXPECT_EQ(sheetRow(2159.99), 53);
  EXPECT_EQ(sheetColumn(8400.01), 140);
}

TEST(CoastlineSheets, WindowChoosesTheSheetsItCrosses) {
  struct Case {
    double centreLat, centreLon, latSide, lonSide;
    QStringList names;
  };
  const Case cases[] = {
      {2130, 8370, 2, 2, {"5339"}},
      {2160, 8370, 2, 2, {"5339", "5439"}},                  // a latitude edge
      {2130, 8400, 2, 2, {"5339", "5340"}},                  // a longitude edge
      {2160, 8400, 2, 2, {"5339", "5340", "5439", "5440"}},  // a corner
      {2140,
       8370,
       41,
       0,
       {"5238", "5239", "5240", "5338", "5339", "5340", "5438", "5439", "5440"}},  // 49.2': still sheets
      {2140, 8370, 42, 0, {"TOBA"}},                                               // 50.4': overview
      {2140, 8370, 0, 53, {"TOBA"}},                                               // 50.88': overview
  };
  for (const Case& c : cases) {
    const CoastlineWindow w = coastlineWindow(extentAround(c.centreLat, c.centreLon, c.latSide, c.lonSide));
    EXPECT_EQ(chooseSheets(w), c.names) << c.centreLat << " " << c.centreLon << " " << c.latSide;
  }
}

TEST(CoastlineSheets, NoSheetsForAWindowThatIsNoPlace) {
  const double nan = std::nan("");
  EXPECT_TRUE(chooseSheets(coastlineWindow({nan, nan, nan, nan, nan, nan})).isEmpty());
  EXPECT_TRUE(chooseSheets(coastlineWindow(extentAround(1e300, 1e300, 1, 1))).isEmpty());
  EXPECT_TRUE(chooseSheets(coastlineWindow(extentAround(HUGE_VAL, 0, 1, 1))).isEmpty());
  // The extent a race without fixes on the time axis keeps: huge, so the overview.
  EXPECT_EQ(chooseSheets(coastlineWindow({-20000, 20000, -20000, 20000, 0, 0})), QStringList{"TOBA"});
}

// The shift as the formula reads for longitudes east of Greenwich, where its
// arctangent folded into 0..180 degrees is the right quadrant.
DatumShiftResult literalDatumShift(double cLat, double cLon) {
  const double rad = M_PI / 180;
  const double a = 6377397.155, f = 0.0033427731799399794, e2 = 2 * f - f * f;
  const double phi = cLat / 60, lambda = cLon / 60;
  const double n = a / std::sqrt(1 - e2 * std::pow(std::sin(phi * rad), 2));
  const double x = n * std::cos(phi * rad) * std::cos(lambda * rad) - 148;
  const double y = n * std::cos(phi * rad) * std::sin(lambda * rad) + 508;
  const double z = n * (1 - e2) * std::sin(phi * rad) + 680;
  double lambda2 = std::atan(y / x) / rad;
  if (lambda2 > 180) {
    lambda2 -= 180;
  }
  if (lambda2 < 0) {
    lambda2 += 180;
  }
  const double f2 = 0.003352810681182319, e2b = 2 * f2 - f2 * f2;
  const double phi2 = std::atan((z / (1 - e2b)) / (y / std::sin(lambda2 * rad))) / rad;
  return {(phi2 - phi) * 60, (lambda2 - lambda) * 60, phi2 * 60, lambda2 * 60};
}

TEST(DatumShift, MatchesTheFormulaEastOfGreenwich) {
  for (const auto& [lat, lon] : std::initializer_list<std::pair<double, double>>{
           {2136, 8382}, {2040, 8160}, {1560, 7680}, {2700, 8700}, {600, 3000}, {2400, 5999}}) {
    const DatumShiftResult s = DatumShift(lat, lon);
    const DatumShiftResult ref = literalDatumShift(lat, lon);
    EXPECT_NEAR(s.lat, ref.lat, 1e-9) << lat << " " << lon;
    EXPECT_NEAR(s.lon, ref.lon, 1e-9) << lat << " " << lon;
    EXPECT_NEAR(s.shiftedCentreLat, ref.shiftedCentreLat, 1e-9);
    EXPECT_NEAR(s.shiftedCentreLon, ref.shiftedCentreLon, 1e-9);
  }
}

TEST(DatumShift, TokyoDatumMovesAboutTwelveSecondsNorthAndWest) {
  // Tokyo, 35.6 N 139.7 E: the Tokyo datum lies about 11.6" south and 11.6"
  // east of WGS 84 there.
  const DatumShiftResult s = DatumShift(35.6 * 60, 139.7 * 60);
  EXPECT_NEAR(s.lat, 11.6 / 60, 0.02);
  EXPECT_NEAR(s.lon, -11.6 / 60, 0.02);
}

TEST(DatumShift, StaysSmallWestOfGreenwichAndAtTheDateLine) {
  // Folding the arctangent into 0..180 degrees would move these by half the globe.
  for (const auto& [lat, lon] : std::initializer_list<std::pair<double, double>>{{3000, -600},
                                                                                 {-2000, -8000},
                                                                                 {0, 0},
                                                                                 {2000, 10799.9},
                                                                                 {2000, -10799.9},
                                                                                 {4800, 100},
                                                                                 {-4800, -100}}) {
    const DatumShiftResult s = DatumShift(lat, lon);
    EXPECT_LT(std::fabs(s.lat), 1) << lat << " " << lon;
    EXPECT_LT(std::fabs(s.lon), 2) << lat << " " << lon;
  }
}

// A window of 9.6' round 2130, 8360: south 2125.2, north 2134.8, west 8354,
// east 8366. Block 5339/1/2 has its origin at 2125, 8355.
const CoastlineWindow kWindow = coastlineWindow(extentAround(2130, 8360, 8, 4));
constexpr double kOriginLat = 2125;
constexpr double kOriginLon = 8355;

TEST(CoastlineSheet, PointsOfAUsedBlockWithShiftAndPolylineStarts) {
  const QByteArray sheet = blockLine(53, 139, 1, 2) + polylineLine(9) +
                           pointLine({{0, 0}, {1000, 2000}, {2, 3}, {4, 5}, {6, 7}, {8, 9}, {10, 11}}) +
                           pointLine({{12, 13}, {14, 15}, {9999, 9999}, {1, 1}}) +  // two beyond the count
                           polylineLine(3) + pointLine({{100, 200}, {300, 400}, {500, 600}, {700, 800}});
  const DatumShiftResult shift{0.25, -0.5, 0, 0};
  const CoastlineSheetResult r = parseCoastlineSheet(sheet, QStringLiteral("5339.cst"), kWindow, shift);
  ASSERT_FALSE(r.error) << r.error->toString().toStdString();
  EXPECT_EQ(polylineSizes(r.coastline), (std::vector<int>{9, 3}));
  const GeoPoint p = r.coastline.polylines[0][1];
  EXPECT_DOUBLE_EQ(p.lat, kOriginLat + 2000 * 5.0 / 10000 + 0.25);
  EXPECT_DOUBLE_EQ(p.lon, kOriginLon + 1000 * 7.5 / 10000 - 0.5);
  EXPECT_DOUBLE_EQ(r.coastline.polylines[0][8].lat, kOriginLat + 15 * 5.0 / 10000 + 0.25);
  EXPECT_DOUBLE_EQ(r.coastline.polylines[1][2].lon, kOriginLon + 500 * 7.5 / 10000 - 0.5);
}

TEST(CoastlineSheet, BlockHeaderStartsANewPolylineWithinTheDeclaredCount) {
  // The point count of the last polyline header goes on into the next block,
  // whose first point starts a new polyline.
  const QByteArray sheet = blockLine(53, 139, 1, 2) + polylineLine(4) +
                           pointLine({{1, 1}, {2, 2}, {3, 3}, {4, 4}}) + blockLine(53, 139, 1, 3) +
                           pointLine({{3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}});
  const CoastlineSheetResult r = parseCoastlineSheet(sheet, QStringLiteral("5339.cst"), kWindow, {});
  ASSERT_FALSE(r.error);
  EXPECT_EQ(polylineSizes(r.coastline), (std::vector<int>{4, 4}));
  EXPECT_DOUBLE_EQ(r.coastline.polylines[1][0].lon, kOriginLon + 7.5 + 3 * 7.5 / 10000);
}

TEST(CoastlineSheet, PolylineCountThatIsNotANumberMeansOnePoint) {
  const QByteArray sheet = blockLine(53, 139, 1, 2) + "L short header\r\n" + pointLine({{1, 1}, {2, 2}}) +
                           "L" + QByteArray(48, ' ') + "   abc\r\n" + pointLine({{3, 3}, {4, 4}});
  const CoastlineSheetResult r = parseCoastlineSheet(sheet, QStringLiteral("5339.cst"), kWindow, {});
  ASSERT_FALSE(r.error);
  EXPECT_EQ(polylineSizes(r.coastline), (std::vector<int>{1, 1}));
}

TEST(CoastlineSheet, BlocksOutsideTheWindowAreNotConverted) {
  // West of the window by more than a block, north of it, and a point line
  // before any block: their garbage is never read.
  const QByteArray sheet = "xxxxxxxxxxxxxxxxxxxx\r\n" + blockLine(53, 139, 1, 0) + polylineLine(2) +
                           "garbage garbage garbage\r\n" + blockLine(53, 139, 7, 2) + polylineLine(2) +
                           "garbage\r\n" + blockLine(53, 139, 1, 2) + polylineLine(2) +
                           pointLine({{1, 1}, {2, 2}});
  const CoastlineSheetResult r = parseCoastlineSheet(sheet, QStringLiteral("5339.cst"), kWindow, {});
  ASSERT_FALSE(r.error) << r.error->toString().toStdString();
  EXPECT_EQ(polylineSizes(r.coastline), (std::vector<int>{2}));
}

TEST(CoastlineSheet, BlockUseFollowsTheWindowEdges) {
  // Origins up to (not at) 5' south and 7.5' west of the window, and short of
  // its north and east edges, are read.
  const CoastlineWindow w{10, 2130, 8370, 2130, 2140, 8360, 8380};
  EXPECT_TRUE(w.covers(2125.01, 8370));
  EXPECT_FALSE(w.covers(2125, 8370));
  EXPECT_TRUE(w.covers(2139.99, 8370));
  EXPECT_FALSE(w.covers(2140, 8370));
  EXPECT_TRUE(w.covers(2135, 8352.51));
  EXPECT_FALSE(w.covers(2135, 8352.5));
  EXPECT_TRUE(w.covers(2135, 8379.99));
  EXPECT_FALSE(w.covers(2135, 8380));
}

TEST(CoastlineSheet, ConversionErrorsNameFileLineAndText) {
  struct Case {
    QByteArray sheet;
    int line;
    const char* text;
  };
  const Case cases[] = {
      {blockLine(53, 139, 1, 2) + polylineLine(2) + "    1  abc    2    2\r\n", 3, "  abc"},
      {blockLine(53, 139, 1, 2) + polylineLine(3) + pointLine({{1, 1}, {2, 2}}), 3, "    1    1    2    2"},
      {"M 53x912\r\n", 1, "53x912"},
      {"M 53\r\n", 1, "53"},
  };
  for (const Case& c : cases) {
    const CoastlineSheetResult r = parseCoastlineSheet(c.sheet, QStringLiteral("5339.cst"), kWindow, {});
    ASSERT_TRUE(r.error) << c.sheet.toStdString();
    EXPECT_EQ(r.error->file, QStringLiteral("5339.cst"));
    EXPECT_EQ(r.error->line, c.line) << c.sheet.toStdString();
    EXPECT_EQ(r.error->text, QString::fromLatin1(c.text)) << c.sheet.toStdString();
  }
}

TEST(CoastlineSheet, BlankLinesAndLineEndsOfAnyKind) {
  const QByteArray sheet =
      "M 533912\n\n" + polylineLine(2).replace("\r\n", "\r") + "    1    1    2    2\n   \n\x1a";
  const CoastlineSheetResult r = parseCoastlineSheet(sheet, QStringLiteral("5339.cst"), kWindow, {});
  ASSERT_FALSE(r.error) << r.error->toString().toStdString();
  EXPECT_EQ(polylineSizes(r.coastline), (std::vector<int>{2}));
}

TEST(OverviewSheet, RStartsAPolylineAndPlainLinesContinueIt) {
  const CoastlineSheetResult r = parseOverviewSheet(
      "2000.5,8000.25\r\n2001,8001\r\nR,2100,8100\r\n 2101 , 8101 \r\n\r\nR , 2200,8200\r\n",
      QStringLiteral("toba.cst"));
  ASSERT_FALSE(r.error) << r.error->toString().toStdString();
  EXPECT_EQ(polylineSizes(r.coastline), (std::vector<int>{2, 2, 1}));
  EXPECT_EQ(r.coastline.polylines[0][0], (GeoPoint{2000.5, 8000.25}));
  EXPECT_EQ(r.coastline.polylines[1][0], (GeoPoint{2100, 8100}));
  EXPECT_EQ(r.coastline.polylines[1][1], (GeoPoint{2101, 8101}));
  EXPECT_EQ(r.coastline.polylines[2][0], (GeoPoint{2200, 8200}));
}

TEST(OverviewSheet, ConversionErrors) {
  struct Case {
    const char* text;
    int line;
    const char* shown;
  };
  const Case cases[] = {{"2000,8000\n2000\n", 2, "2000"},
                        {"2000,8000\nR,2000\n", 2, "R,2000"},
                        {"x,8000\n", 1, "x"},
                        {"2000,8000x\n", 1, "8000x"},
                        {"2000,inf\n", 1, "inf"}};
  for (const Case& c : cases) {
    const CoastlineSheetResult r = parseOverviewSheet(c.text, QStringLiteral("toba.cst"));
    ASSERT_TRUE(r.error) << c.text;
    EXPECT_EQ(r.error->line, c.line) << c.text;
    EXPECT_EQ(r.error->text, QString::fromLatin1(c.shown)) << c.text;
  }
}

Coastline oneLine(std::initializer_list<GeoPoint> points) {
  return Coastline{{std::vector<GeoPoint>(points)}};
}

TEST(CoastlineFilter, TenPointsOrFewerStayAsTheyAre) {
  const GeoPoint in{2130, 8360};
  const GeoPoint out{2200, 8360};
  const Coastline ten = oneLine({in, out, in, in, out, out, in, in, in, out});
  EXPECT_EQ(filterCoastline(ten, kWindow).polylines, ten.polylines);
}

TEST(CoastlineFilter, DroppedPointsSplitPolylines) {
  const GeoPoint in{2130, 8360};
  const GeoPoint out{2200, 8360};
  Coastline c = oneLine({in, out, in, in, out, out, in, in, in, out});
  c.polylines.push_back({out, out});
  c.polylines.push_back({in});
  const Coastline kept = filterCoastline(c, kWindow);
  EXPECT_EQ(polylineSizes(kept), (std::vector<int>{1, 2, 3, 1}));
  EXPECT_EQ(kept.pointCount(), 7);
}

// Files of a fake coastline folder; remembers which were asked for.
struct FakeFolder {
  std::map<QString, QByteArray> files;
  std::map<QString, ReadError> failing;
  QStringList asked;

  CoastlineFileSource source() {
    return [this](const QString& name) {
      asked.append(name);
      CoastlineFile f;
      if (auto e = failing.find(name); e != failing.end()) {
        f.error = e->second;
      } else if (auto it = files.find(name); it != files.end()) {
        f.bytes = it->second;
      }
      return f;
    };
  }
};

const QByteArray kLight = "Fl,3412.5,13652.1,4,1,R,5\r\n";

TEST(ReadCoastline, WindowAcrossASheetEdgeReadsBothSheetsShiftedAndTheirLights) {
  // A race round 2160, 8370, on the edge between rows 53 and 54.
  const CoastlineExtent extent = extentAround(2160, 8370, 4, 2);
  FakeFolder folder;
  folder.files["5339.cst"] =
      blockLine(53, 139, 7, 4) + polylineLine(2) + pointLine({{1000, 9000}, {2000, 9500}});
  folder.files["5439.cst"] = blockLine(54, 139, 0, 4) + polylineLine(1) + pointLine({{1000, 1000}});
  folder.files["5339.lh"] = kLight;
  folder.files["5439.lh"] = kLight + kLight;
  const CoastlineResult r = ReadCoastline(extent, folder.source());
  ASSERT_FALSE(r.error) << r.error->toString().toStdString();
  EXPECT_EQ(r.MapName, (QStringList{"5339", "5439"}));
  EXPECT_EQ(folder.asked, (QStringList{"5339.cst", "5439.cst", "5339.lh", "5439.lh"}));
  EXPECT_EQ(polylineSizes(r.coastline), (std::vector<int>{2, 1}));
  const DatumShiftResult shift = DatumShift(2160, 8370);
  EXPECT_DOUBLE_EQ(r.datumShift.lat, shift.lat);
  EXPECT_NE(shift.lat, 0);
  EXPECT_DOUBLE_EQ(r.coastline.polylines[0][0].lat, 2155 + 4.5 + shift.lat);
  EXPECT_DOUBLE_EQ(r.coastline.polylines[0][0].lon, 8370 + 0.75 + shift.lon);
  EXPECT_DOUBLE_EQ(r.coastline.polylines[1][0].lat, 2160 + 0.5 + shift.lat);
  EXPECT_EQ(r.lights.size(), 3u);
  // Light positions keep their own datum.
  EXPECT_DOUBLE_EQ(r.lights[0].pos.lat, 34 * 60 + 12.5);
}

TEST(ReadCoastline, WindowFilterAppliesOnlyAboveTenPointsInAll) {
  const CoastlineExtent extent = extentAround(2130, 8360, 8, 4);  // kWindow
  // Block 5339/1/2; y 9900 lies at 2129.95, y 0 at 2125; x 9000 at 8361.75.
  // The block to its north (origin 2130) holds points up to 2135, the window
  // ends at 2134.8.
  const QByteArray inside =
      blockLine(53, 139, 1, 2) + polylineLine(5) + pointLine({{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}});
  const QByteArray across =
      blockLine(53, 139, 2, 2) + polylineLine(3) + pointLine({{0, 9000}, {0, 9999}, {0, 9000}});
  FakeFolder few;
  few.files["5339.cst"] = inside + across;
  const CoastlineResult kept = ReadCoastline(extent, few.source());
  ASSERT_FALSE(kept.error);
  EXPECT_EQ(polylineSizes(kept.coastline), (std::vector<int>{5, 3}));

  FakeFolder many;
  many.files["5339.cst"] =
      inside + across + blockLine(53, 139, 1, 2) + polylineLine(3) + pointLine({{5, 5}, {6, 6}, {7, 7}});
  const CoastlineResult filtered = ReadCoastline(extent, many.source());
  ASSERT_FALSE(filtered.error);
  EXPECT_EQ(polylineSizes(filtered.coastline), (std::vector<int>{5, 1, 1, 3}));
}

TEST(ReadCoastline, WideRaceUsesOnlyTheOverviewSheetUnshiftedAndUnfiltered) {
  const CoastlineExtent extent = extentAround(2130, 8370, 60, 10);
  FakeFolder folder;
  folder.files["toba.cst"] = "R,100,200\r\n101,201\r\nR,5000,9000\r\n";
  folder.files["toba.lh"] = kLight;
  folder.files["5339.cst"] = blockLine(53, 139, 1, 2) + polylineLine(1) + pointLine({{1, 1}});
  const CoastlineResult r = ReadCoastline(extent, folder.source());
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.MapName, QStringList{"TOBA"});
  EXPECT_EQ(folder.asked, (QStringList{"toba.cst", "toba.lh"}));
  EXPECT_EQ(polylineSizes(r.coastline), (std::vector<int>{2, 1}));
  EXPECT_EQ(r.coastline.polylines[0][0], (GeoPoint{100, 200}));
  EXPECT_EQ(r.lights.size(), 1u);

  folder.files.erase("toba.cst");
  const CoastlineResult lightsOnly = ReadCoastline(extent, folder.source());
  ASSERT_FALSE(lightsOnly.error);
  EXPECT_TRUE(lightsOnly.coastline.polylines.empty());
  EXPECT_EQ(lightsOnly.lights.size(), 1u);
}

TEST(ReadCoastline, MissingFilesAreSkippedWithoutAnError) {
  FakeFolder folder;
  folder.files["5340.lh"] = kLight;
  const CoastlineResult r = ReadCoastline(extentAround(2160, 8400, 2, 2), folder.source());
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.MapName.size(), 4);
  EXPECT_TRUE(r.coastline.polylines.empty());
  EXPECT_EQ(r.lights.size(), 1u);
}

TEST(ReadCoastline, ErrorsOfSheetsLightsAndFilesAbandonTheRead) {
  const CoastlineExtent extent = extentAround(2130, 8360, 8, 4);
  {
    FakeFolder folder;
    folder.files["5339.cst"] = blockLine(53, 139, 1, 2) + polylineLine(1) + "abcdefghij\r\n";
    const CoastlineResult r = ReadCoastline(extent, folder.source());
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->file, QStringLiteral("5339.cst"));
    EXPECT_EQ(r.error->line, 3);
  }
  {
    FakeFolder folder;
    folder.files["5339.lh"] = kLight + "Fl,34,13652.1,4,1,R,5\r\n";
    const CoastlineResult r = ReadCoastline(extent, folder.source());
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->file, QStringLiteral("5339.lh"));
    EXPECT_EQ(r.error->line, 2);
  }
  {
    FakeFolder folder;
    folder.failing["5339.cst"] =
        ReadError{QStringLiteral("5339.cst"), 0, -1, QString(), QStringLiteral("denied")};
    const CoastlineResult r = ReadCoastline(extent, folder.source());
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->message, QStringLiteral("denied"));
  }
}

TEST(ReadCoastline, ReadsTheRacesFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("coastline")));
  auto write = [&](const char* name, const QByteArray& bytes) {
    QFile file(dir.filePath(QStringLiteral("coastline/") + QLatin1String(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
  };
  write("5339.cst", blockLine(53, 139, 1, 2) + polylineLine(2) + pointLine({{1, 1}, {2, 2}}));
  write("5339.lh", kLight);
  write("toba.lh", kLight + kLight);
  const RaceFolders folders(dir.path());
  const CoastlineResult r = ReadCoastline(folders, extentAround(2130, 8360, 8, 4));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(polylineSizes(r.coastline), (std::vector<int>{2}));
  EXPECT_EQ(r.lights.size(), 1u);
  const CoastlineResult wide = ReadCoastline(folders, extentAround(2130, 8360, 80, 4));
  ASSERT_FALSE(wide.error);
  EXPECT_TRUE(wide.coastline.polylines.empty());
  EXPECT_EQ(wide.lights.size(), 2u);
  const CoastlineResult empty =
      ReadCoastline(RaceFolders(dir.filePath(QStringLiteral("nothing"))), extentAround(2130, 8360, 8, 4));
  EXPECT_FALSE(empty.error);
  EXPECT_TRUE(empty.coastline.polylines.empty());
}

TEST(ReadCoastline, SheetsWithoutAClassicFileFallBackToWorldSheetsAnywhere) {
  const struct {
    double lat, lon;
    QString classic, world;
  } cases[] = {{39.45 * 60, -0.3 * 60, "59-101", "w59_-1"},     // Valencia
               {-33.85 * 60, 151.2 * 60, "-5151", "w-51_151"},  // Sydney
               {35.0 * 60, 139.5 * 60, "5239", "w52_139"}};
  for (const auto& c : cases) {
    // A line leaving the window, and eleven points in all, so the filter runs.
    QByteArray sheet;
    for (int i = 0; i < 11; ++i) {
      sheet += (i % 4 ? "" : "R,") + QByteArray::number(c.lat + (i == 2 ? 9 : 0.1 * i)) + "," +
               QByteArray::number(c.lon - 0.5) + "\r\n";
    }
    FakeFolder folder;
    folder.files[c.world + ".cst"] = sheet;
    folder.files[c.world + ".lh"] = kLight;
    const CoastlineResult r = ReadCoastline(extentAround(c.lat, c.lon, 1, 1), folder.source());
    ASSERT_FALSE(r.error) << c.world.toStdString();
    EXPECT_EQ(r.MapName, QStringList{c.classic});
    EXPECT_EQ(folder.asked,
              (QStringList{c.classic + ".cst", c.world + ".cst", c.classic + ".lh", c.world + ".lh"}));
    EXPECT_EQ(polylineSizes(r.coastline), (std::vector<int>{2, 1, 4, 3})) << c.world.toStdString();
    EXPECT_EQ(r.coastline.polylines[0][1], (GeoPoint{c.lat + 0.1, c.lon - 0.5}));  // no shift
    EXPECT_EQ(r.lights.size(), 1u);
  }
}

TEST(ReadCoastline, AClassicSheetHidesTheWorldSheetOfTheSamePlace) {
  QFile demo(QStringLiteral(VELARO_SOURCE_DIR "/data/demo/coastline/5239.cst"));
  ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
  FakeFolder folder;
  folder.files["5239.cst"] = demo.readAll();
  const CoastlineResult before = ReadCoastline(extentAround(2116, 8370, 6, 6), folder.source());
  folder.files["w52_139.cst"] = "R,2116,8370\r\n2117,8371\r\n";
  const CoastlineResult r = ReadCoastline(extentAround(2116, 8370, 6, 6), folder.source());
  ASSERT_GT(before.coastline.pointCount(), 10);
  EXPECT_EQ(r.coastline.polylines, before.coastline.polylines);
  EXPECT_FALSE(folder.asked.contains(QStringLiteral("w52_139.cst")));
}

TEST(CoastlineSheet, SurvivesGarbageAndTruncation) {
  QByteArray garbage;
  for (int i = 0; i < 8192; ++i) {
    garbage.append(static_cast<char>((i * 7919 + i / 7) % 256));
  }
  parseCoastlineSheet(garbage, QStringLiteral("g.cst"), kWindow, {});
  parseOverviewSheet(garbage, QStringLiteral("g.cst"));
  const QByteArray good = blockLine(53, 139, 1, 2) + polylineLine(9) +
                          pointLine({{0, 0}, {1000, 2000}, {2, 3}, {4, 5}, {6, 7}, {8, 9}, {10, 11}}) +
                          pointLine({{12, 13}, {14, 15}});
  for (qsizetype n = 0; n <= good.size(); ++n) {
    const CoastlineSheetResult r = parseCoastlineSheet(good.left(n), QStringLiteral("t.cst"), kWindow, {});
    EXPECT_LE(r.coastline.pointCount(), 9);
  }
}

}  // namespace
}  // namespace velaro
