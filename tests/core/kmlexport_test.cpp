#include "core/reports/kmlexport.h"

#include "core/datetime.h"
#include "core/loadpipeline.h"
#include "core/reports/reporttext.h"
#include "core/scene/scenestate.h"
#include "reporttestdata.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

using testdata::crlfLines;

// What a reader of the file sees: folders of placemarks.
struct Placemark {
  QString name;
  QString description;
  QString href;
  QString color;
  QString width;
  QStringList lineCoordinates;  // one "lon,lat,0.0" per point
  QString pointCoordinates;
};

struct Folder {
  QString name;
  std::vector<Placemark> placemarks;
  std::vector<Folder> folders;

  const Folder* folder(const QString& folderName) const {
    for (const Folder& f : folders) {
      if (f.name == folderName) {
        return &f;
      }
    }
    return nullptr;
  }
  const Placemark* placemark(const QString& placemarkName) const {
    for (const Placemark& p : placemarks) {
      if (p.name == placemarkName) {
        return &p;
      }
    }
    return nullptr;
  }
};

void readPlacemark(QXmlStreamReader& xml, Placemark& p) {
  while (xml.readNextStartElement()) {
    const auto tag = xml.name();
    if (tag == QLatin1String("name")) {
      p.name = xml.readElementText();
    } else if (tag == QLatin1String("description")) {
      p.description = xml.readElementText();
    } else if (tag == QLatin1String("href")) {
      p.href = xml.readElementText();
    } else if (tag == QLatin1String("color")) {
      p.color = xml.readElementText();
    } else if (tag == QLatin1String("width")) {
      p.width = xml.readElementText();
    } else if (tag == QLatin1String("LineString")) {
      while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("coordinates")) {
          p.lineCoordinates =
              xml.readElementText().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        } else {
          xml.skipCurrentElement();
        }
      }
    } else if (tag == QLatin1String("Point")) {
      while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("coordinates")) {
          p.pointCoordinates = xml.readElementText();
        } else {
          xml.skipCurrentElement();
        }
      }
    } else if (tag == QLatin1String("Style") || tag == QLatin1String("IconStyle") ||
               tag == QLatin1String("Icon") || tag == QLatin1String("LineStyle")) {
      readPlacemark(xml, p);  // descend: the values sit inside
    } else {
      xml.skipCurrentElement();
    }
  }
}

void readFolder(QXmlStreamReader& xml, Folder& folder) {
  while (xml.readNextStartElement()) {
    const auto tag = xml.name();
    if (tag == QLatin1String("name")) {
      folder.name = xml.readElementText();
    } else if (tag == QLatin1String("Folder")) {
      folder.folders.emplace_back();
      readFolder(xml, folder.folders.back());
    } else if (tag == QLatin1String("Placemark")) {
      folder.placemarks.emplace_back();
      readPlacemark(xml, folder.placemarks.back());
    } else {
      xml.skipCurrentElement();
    }
  }
}

// Reads a KML document with a strict XML parser; the test fails on any
// error. Returns the folder under the kml element.
Folder parseKml(const QByteArray& bytes) {
  QXmlStreamReader xml(bytes);
  Folder root;
  if (xml.readNextStartElement()) {
    EXPECT_EQ(xml.name(), QLatin1String("kml"));
    EXPECT_EQ(xml.namespaceUri(), QLatin1String("http://earth.google.com/kml/2.0"));
    if (xml.readNextStartElement()) {
      EXPECT_EQ(xml.name(), QLatin1String("Folder"));
      readFolder(xml, root);
    }
  }
  while (!xml.atEnd()) {
    xml.readNext();
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line " << xml.lineNumber();
  return root;
}

constexpr double kLat = 35 * 60.0;   // 35 N in minutes
constexpr double kLon = 139 * 60.0;  // 139 E in minutes

// A boat sailing north-east from (kLat, kLon), one fix every step seconds
// from `from` to `to`.
Boat sailingBoat(const QString& name, double from, double to, double step = 10) {
  Boat boat;
  boat.BoatName = name;
  for (double t = from; t <= to; t += step) {
    const double k = (t - from) / step;
    boat.fixes.push_back({t, kLat + 0.01 * k, kLon + 0.01 * k, 5 + 0.001 * k, std::fmod(45 + k, 360)});
  }
  return boat;
}

Race kmlRace() {
  Race race;
  race.RaceCaption = QStringLiteral("Velaro  race0503.txt");
  race.RaceStart = toDateTime(QDate(2008, 5, 3), QTime(10, 0));
  race.TimeAxisEnd = 7230;
  race.boats.push_back(sailingBoat(QStringLiteral("Alpha"), -200, 7300, 100));
  race.boats.push_back(sailingBoat(QStringLiteral("Bravo"), 0, 450, 150));
  race.marks = {{kLat + 1, kLon + 1}, {kLat + 2, kLon + 0.5}};
  race.lines = {{{kLat, kLon}, {kLat, kLon + 0.2}}};
  return race;
}

KmlOptions options() {
  KmlOptions o;
  o.iconFolder = QStringLiteral("/races/ya/");
  return o;
}

QStringList childNames(const Folder& f) {
  QStringList names;
  for (const Folder& c : f.folders) {
    names << c.name;
  }
  return names;
}

TEST(KmlExport, AllRaceHasTracksSnapshotsAndMarks) {
  const QByteArray bytes = ExportAllRace(kmlRace(), options());
  EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
  const QStringList lines = crlfLines(bytes);
  EXPECT_QEQ(lines[1], QStringLiteral("<kml xmlns=\"http://earth.google.com/kml/2.0\">"));
  EXPECT_QEQ(lines.last(), QStringLiteral("</Folder></kml>"));

  const Folder root = parseKml(bytes);
  EXPECT_QEQ(root.name, QStringLiteral(" race0503"));
  ASSERT_EQ(root.folders.size(), 3u);
  EXPECT_QEQ(childNames(root), QStringList({QStringLiteral("Track Lines"), QStringLiteral("POINTS"),
                                            QStringLiteral("MARK_LINES")}));

  const Folder& tracks = root.folders[0];
  ASSERT_EQ(tracks.placemarks.size(), 2u);
  EXPECT_EQ(tracks.placemarks[0].lineCoordinates.size(), 76);
  EXPECT_QEQ(tracks.placemarks[0].lineCoordinates[0], QStringLiteral("139,35,0.0"));
  EXPECT_QEQ(tracks.placemarks[0].color, QStringLiteral("FFFF0000"));
  EXPECT_QEQ(tracks.placemarks[1].color, QStringLiteral("FF00FF00"));
  EXPECT_QEQ(tracks.placemarks[0].width, QStringLiteral("2"));

  // TimeAxisEnd 7230 s: D = 144, a snapshot every 300 s, J = 25: 26 folders
  // at 0, 300, ..., 7500 s.
  const Folder& points = root.folders[1];
  ASSERT_EQ(points.folders.size(), 26u);
  EXPECT_QEQ(points.folders.front().name, QStringLiteral("2008/05/03 10:00:00"));
  EXPECT_QEQ(points.folders[1].name, QStringLiteral("2008/05/03 10:05:00"));
  EXPECT_QEQ(points.folders.back().name, QStringLiteral("2008/05/03 12:05:00"));

  const Folder& marks = root.folders[2];
  QStringList names;
  for (const Placemark& p : marks.placemarks) {
    names << p.name;
  }
  EXPECT_QEQ(names, QStringList({QStringLiteral("MK1"), QStringLiteral("MK2"), QStringLiteral("line1"),
                                 QStringLiteral("LINE1-P"), QStringLiteral("LINE1-S")}));
  EXPECT_QEQ(marks.placemarks[0].href, QStringLiteral("/races/ya/buoi.png"));
  EXPECT_QEQ(marks.placemarks[0].pointCoordinates, QStringLiteral("139.016666666667,35.0166666666667,0"));
  // The line takes the colour of boat 1, as a valid eight-digit KML colour.
  EXPECT_QEQ(marks.placemarks[2].color, QStringLiteral("FFFF0000"));
  EXPECT_QEQ(marks.placemarks[2].lineCoordinates,
             QStringList({QStringLiteral("139,35,0.0"), QStringLiteral("139.003333333333,35,0.0")}));
  EXPECT_QEQ(marks.placemarks[4].pointCoordinates, QStringLiteral("139.003333333333,35,0"));
}

// With a speed range each track is a folder with a placemark per colour
// sailed, a line per run of one colour; without one nothing changes.
TEST(KmlExport, SpeedColouredTracksHaveAPlacemarkPerColour) {
  Race race = kmlRace();
  std::vector<Fix>& fixes = race.boats[0].fixes;
  for (size_t k = 0; k < fixes.size(); ++k) {
    fixes[k].speed = static_cast<double>(k % kSpeedColourBins);
  }
  KmlOptions o = options();
  EXPECT_FALSE(ExportAllRace(race, o).contains("MultiGeometry"));
  o.speedColours = SpeedRange{0, kSpeedColourBins};
  const QByteArray bytes = ExportAllRace(race, o);
  const Folder root = parseKml(bytes);
  const Folder* alpha = root.folder(QStringLiteral("Track Lines"))->folder(QStringLiteral("Alpha"));
  ASSERT_NE(alpha, nullptr);
  QSet<QString> colours;
  for (const Placemark& p : alpha->placemarks) {
    colours.insert(p.color);
  }
  EXPECT_EQ(colours.size(), kSpeedColourBins);
  EXPECT_TRUE(colours.contains(speedBinKmlColour(0)));
  // Alpha changes colour at every fix, Bravo never; and the start line.
  EXPECT_EQ(bytes.count("<LineString>"), int(fixes.size() - 1) + 1 + 1);
}

TEST(KmlExport, SnapshotPositionsCoursesAndPresence) {
  const Folder root = parseKml(ExportAllRace(kmlRace(), options()));
  const Folder& points = *root.folder(QStringLiteral("POINTS"));
  // At 0 s Bravo sits on its first fix with the course and speed of the next.
  const Folder& first = points.folders[0];
  ASSERT_EQ(first.placemarks.size(), 2u);
  const Placemark* bravo = first.placemark(QStringLiteral("Bravo"));
  ASSERT_NE(bravo, nullptr);
  EXPECT_QEQ(bravo->pointCoordinates, QStringLiteral("139,35,0"));
  EXPECT_TRUE(bravo->description.contains(QStringLiteral("<li>HDG： 46 DEG(T)<br>")))
      << bravo->description.toStdString();
  EXPECT_TRUE(bravo->description.contains(QStringLiteral("<li>BSP： 5 KTS<br>")));
  EXPECT_TRUE(bravo->description.contains(QStringLiteral("Date Time：2008/05/03 10:00:00<br>")));
  EXPECT_QEQ(bravo->href, QStringLiteral("/races/ya/ar50.png"));
  // Alpha at 300 s: halfway between its fixes at 200 and 400 s.
  const Placemark* alpha = points.folders[1].placemark(QStringLiteral("Alpha"));
  ASSERT_NE(alpha, nullptr);
  EXPECT_QEQ(alpha->pointCoordinates, QStringLiteral("139.000833333333,35.0008333333333,0"));
  // Bravo's fixes are at 0, 150, 300 and 450 s: at 300 s, its last-but-one
  // fix, it has left the snapshots.
  EXPECT_EQ(points.folders[1].placemark(QStringLiteral("Bravo")), nullptr);
  EXPECT_EQ(points.folders[1].placemarks.size(), 1u);
}

TEST(KmlExport, BracketingFixesInTheSameSecondUseTheEarlierFix) {
  Race race = kmlRace();
  race.boats.resize(1);
  Boat& boat = race.boats[0];
  boat.fixes = {
      {299.6, kLat, kLon, 4, 90}, {300.4, kLat + 0.6, kLon + 0.6, 6, 180}, {900, kLat + 1, kLon + 1, 7, 0}};
  const QByteArray bytes = ExportAllRace(race, options());
  EXPECT_FALSE(bytes.contains("nan"));
  const Folder root = parseKml(bytes);
  const Placemark* p = root.folder(QStringLiteral("POINTS"))->folders[1].placemark(QStringLiteral("Alpha"));
  ASSERT_NE(p, nullptr);
  EXPECT_QEQ(p->pointCoordinates, QStringLiteral("139,35,0"));
}

TEST(KmlExport, EmptyMarkLinesFolderStaysAndNoSnapshotsForANegativeAxis) {
  Race race = kmlRace();
  race.marks.clear();
  race.lines.clear();
  race.TimeAxisEnd = -700;
  const Folder root = parseKml(ExportAllRace(race, options()));
  const Folder* marks = root.folder(QStringLiteral("MARK_LINES"));
  ASSERT_NE(marks, nullptr);
  EXPECT_TRUE(marks->placemarks.empty());
  EXPECT_TRUE(root.folder(QStringLiteral("POINTS"))->folders.empty());
}

TEST(KmlExport, UnfocusedBoatsAreThinOrLeftOut) {
  Race race = kmlRace();
  race.boats[1].BoatFocused = 0;
  KmlOptions o = options();
  Folder root = parseKml(ExportAllRace(race, o));
  ASSERT_EQ(root.folders[0].placemarks.size(), 2u);
  EXPECT_QEQ(root.folders[0].placemarks[1].width, QStringLiteral("1"));

  o.hideUnfocused = true;
  root = parseKml(ExportAllRace(race, o));
  ASSERT_EQ(root.folders[0].placemarks.size(), 1u);
  EXPECT_QEQ(root.folders[0].placemarks[0].name, QStringLiteral("Alpha"));
  EXPECT_EQ(root.folders[1].folders[0].placemarks.size(), 1u);

  // The window's focus flags override the boats' own.
  o.focused = {0, 1};
  root = parseKml(ExportAllRace(race, o));
  ASSERT_EQ(root.folders[0].placemarks.size(), 1u);
  EXPECT_QEQ(root.folders[0].placemarks[0].name, QStringLiteral("Bravo"));
}

TEST(KmlExport, NamesAndCaptionWithMarkupSurviveAStrictReader) {
  Race race = kmlRace();
  race.RaceCaption = QStringLiteral("Velaro  R&D <1>.txt");
  race.boats[0].BoatName = QStringLiteral("A&B <C> \"D\"");
  race.boats[1].BoatName = QStringLiteral("青嵐\x01");
  KmlOptions o = options();
  o.iconFolder = QStringLiteral("/races & co/ya/");
  const Folder root = parseKml(ExportAllRace(race, o));
  EXPECT_QEQ(root.name, QStringLiteral(" R&D <1>"));
  EXPECT_QEQ(root.folders[0].placemarks[0].name, QStringLiteral("A&B <C> \"D\""));
  EXPECT_QEQ(root.folders[0].placemarks[1].name, QStringLiteral("青嵐"));
  EXPECT_QEQ(root.folder(QStringLiteral("MARK_LINES"))->placemarks[0].href,
             QStringLiteral("/races & co/ya/buoi.png"));
}

TEST(KmlExport, CharacterDataSectionsSplitTheirEndMarker) {
  for (const QString& text :
       {QStringLiteral("a]]>b"), QStringLiteral("]]>]]>"), QStringLiteral("]]"), QStringLiteral("plain")}) {
    const QByteArray doc = ("<d><![CDATA[" + cdataText(text) + "]]></d>").toUtf8();
    QXmlStreamReader xml(doc);
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_QEQ(xml.readElementText(), text);
    EXPECT_FALSE(xml.hasError()) << text.toStdString();
  }
  EXPECT_QEQ(xmlText(QStringLiteral("a<b>&\"c\"\t\x02")), QStringLiteral("a&lt;b&gt;&amp;&quot;c&quot;\t"));
}

TEST(KmlExport, DescriptionsInJapanese) {
  KmlOptions o = options();
  o.japanese = true;
  const QByteArray bytes = ExportAllRace(kmlRace(), o);
  const QString text = QString::fromUtf8(bytes);
  EXPECT_TRUE(text.contains(QStringLiteral(
      "<description><![CDATA[<ul type=\"disk\"><li>日時：2008/05/03 10:00:00<br>\r\n<li>緯度： 35度<br>\r\n"
      "<li>経度： 139度<br>\r\n<li>速度： 5ノット<br>\r\n<li>針路： "
      "46度(T)<br>\r\n</ul>]]></description>\r\n")))
      << text.left(3000).toStdString();
  parseKml(bytes);
}

TEST(KmlExport, SnapshotIntervalsFollowTheAxisLength) {
  struct Case {
    double end;
    double interval;
    int count;
  };
  const Case cases[] = {
      {7230, 300, 26},   {14999, 300, 52}, {15000, 600, 27}, {30000, 1200, 27}, {60000, 1800, 35},
      {90000, 3600, 27}, {0, 300, 2},      {-200, 300, 1},   {-450, 300, 0},    {-700, 300, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(snapshotInterval(c.end), c.interval) << c.end;
    EXPECT_EQ(snapshotCount(c.end), c.count) << c.end;
  }
}

TEST(KmlExport, IconAnglesSpeedsAndCourses) {
  const std::pair<double, int> angles[] = {{100, 100}, {356, 0}, {4.9, 0},    {5, 10},
                                           {0, 0},     {360, 0}, {354.9, 350}};
  for (const auto& [course, angle] : angles) {
    EXPECT_EQ(iconAngle(course), angle) << course;
  }
  EXPECT_QEQ(kmlSpeedText(6.456), QStringLiteral("6.46"));
  EXPECT_QEQ(kmlSpeedText(6.454), QStringLiteral("6.45"));
  EXPECT_QEQ(kmlSpeedText(5), QStringLiteral("5"));
  EXPECT_QEQ(kmlCourseText(123.9), QStringLiteral("123"));
}

TEST(KmlExport, FolderNameFromTheCaption) {
  const std::pair<const char*, const char*> cases[] = {
      {"Velaro  race0503.txt", " race0503"},
      {"Spring race0503.txt", "race0503"},
      {"race0503.txt", "race0503"},
      {"Spring Series", ""},
      {"", ""},
      {"Club a.b.c", "a"},
  };
  for (const auto& [caption, name] : cases) {
    EXPECT_QEQ(kmlFolderName(QString::fromUtf8(caption)), QString::fromUtf8(name)) << caption;
  }
}

TEST(KmlExport, PresentSceneTailsAndPositions) {
  Race race = kmlRace();
  std::vector<SceneBoat> scene(2);
  scene[0] = {true, 5, {kLat + 0.5, kLon + 0.25}, 100, 6.456};
  scene[1] = {true, 2, {kLat, kLon}, 356, 6.454};
  const QByteArray bytes = ExportPresentScene(race, 123.4, scene, options());
  EXPECT_TRUE(QString::fromUtf8(bytes).endsWith(QStringLiteral("</Folder></Folder></kml>\r\n")));
  const Folder root = parseKml(bytes);
  ASSERT_EQ(root.folders.size(), 1u);
  EXPECT_QEQ(root.folders[0].name, QStringLiteral("10:02:03"));
  const std::vector<Placemark>& p = root.folders[0].placemarks;
  ASSERT_EQ(p.size(), 4u);
  // Segment 5: fixes 5, 4, 3, 2, 1, newest first.
  ASSERT_EQ(p[0].lineCoordinates.size(), 5);
  EXPECT_QEQ(p[0].lineCoordinates.front(), QStringLiteral("139.000666666667,35.0006666666667,0.0"));
  EXPECT_QEQ(p[0].lineCoordinates.back(), QStringLiteral("139,35,0.0"));
  EXPECT_QEQ(p[1].pointCoordinates, QStringLiteral("139.004166666667,35.0083333333333,0"));
  EXPECT_TRUE(p[1].description.contains(QStringLiteral("BSP： 6.46 KTS")));
  EXPECT_TRUE(p[1].description.contains(QStringLiteral("HDG： 100 DEG(T)")));
  EXPECT_TRUE(p[1].description.contains(QStringLiteral("Date Time：2008/05/03 10:02:03<br>")));
  EXPECT_QEQ(p[1].href, QStringLiteral("/races/ya/ar100.png"));
  EXPECT_EQ(p[2].lineCoordinates.size(), 2);
  EXPECT_QEQ(p[3].href, QStringLiteral("/races/ya/ar0.png"));
  EXPECT_TRUE(p[3].description.contains(QStringLiteral("BSP： 6.45 KTS")));

  // A long track: 21 points at most.
  scene[0].segment = 60;
  scene[1].active = false;
  const Folder later = parseKml(ExportPresentScene(race, 122.5, scene, options()));
  EXPECT_QEQ(later.folders[0].name, QStringLiteral("10:02:02"));
  ASSERT_EQ(later.folders[0].placemarks.size(), 2u);
  EXPECT_EQ(later.folders[0].placemarks[0].lineCoordinates.size(), 21);
}

TEST(KmlExport, PresentSceneAtMidnightIsNamedByTheDate) {
  Race race = kmlRace();
  race.RaceStart = toDateTime(QDate(2008, 5, 3), QTime(23, 59, 0));
  const Folder root = parseKml(ExportPresentScene(race, 60, {}, options()));
  EXPECT_QEQ(root.folders[0].name, QStringLiteral("2008/05/04"));
  EXPECT_TRUE(root.folders[0].placemarks.empty());
}

TEST(KmlSceneBoats, FindTheLiveScenePairs) {
  Race race;
  Boat boat;
  boat.fixes = {
      {0, 0, 0, 4, 350}, {10, 1, 1, 5, 10}, {20, 2, 2, 6, 20}, {621, 3, 3, 7, 30}, {630, 4, 4, 8, 40}};
  race.boats.push_back(boat);

  EXPECT_FALSE(sceneBoatsAt(race, -1)[0].active);   // before the track starts
  EXPECT_FALSE(sceneBoatsAt(race, 630)[0].active);  // at the last fix

  SceneBoat s = sceneBoatsAt(race, 15)[0];
  EXPECT_TRUE(s.active);
  EXPECT_EQ(s.segment, 2);
  EXPECT_DOUBLE_EQ(s.pos.lat, 1.5);
  EXPECT_EQ(s.speed, 5);
  EXPECT_EQ(s.course, 10);

  // In the first second after a fix the course turns from the previous
  // fix's course, through north: 350 to 10 at half a second gives 0.
  s = sceneBoatsAt(race, 10.5)[0];
  EXPECT_EQ(s.course, 0);
  s = sceneBoatsAt(race, 10.25)[0];
  EXPECT_EQ(s.course, 355);

  // Fixes 601 s apart: the boat is hidden between them.
  s = sceneBoatsAt(race, 300)[0];
  EXPECT_FALSE(s.active);
  EXPECT_EQ(s.segment, 3);
}

TEST(KmlSceneBoats, TakenFromTheLiveScene) {
  SceneState state;
  BoatScene shown;
  shown.BoatActive = true;
  shown.BoatSegment = 4;
  shown.BoatLat = kLat + 1;
  shown.BoatLon = kLon + 2;
  shown.BoatCourse = 123.9;
  shown.BoatSpeed = 6.456;
  state.boats = {shown, BoatScene{}};
  const std::vector<SceneBoat> scene = sceneBoatsFrom(state);
  ASSERT_EQ(scene.size(), 2u);
  EXPECT_TRUE(scene[0].active);
  EXPECT_EQ(scene[0].segment, 5);
  EXPECT_EQ(scene[0].pos, (GeoPoint{kLat + 1, kLon + 2}));
  EXPECT_EQ(scene[0].course, 123.9);
  EXPECT_EQ(scene[0].speed, 6.456);
  EXPECT_FALSE(scene[1].active);
  EXPECT_EQ(scene[1].segment, 0);
}

TEST(KmlWindow, QuestionAndHint) {
  EXPECT_FALSE(kmlAskHideUnfocused(0));
  EXPECT_TRUE(kmlAskHideUnfocused(1));
  EXPECT_EQ(kmlHintRect(QPoint(900, 400), false), QRect(705, 400, 190, 60));
  EXPECT_EQ(kmlHintRect(QPoint(900, 400), true), QRect(645, 400, 250, 60));
}

// Golden files of the small race: the whole-race export and a present scene,
// byte for byte. After an intended change, regenerate them with
// VELARO_UPDATE_GOLDEN=1 and review the diff.
TEST(KmlExport, MatchesGoldenFiles) {
  Race race = kmlRace();
  race.TimeAxisEnd = 600;
  const std::pair<QString, QByteArray> files[] = {
      {QStringLiteral("allrace.kml"), ExportAllRace(race, options())},
      {QStringLiteral("scene.kml"), ExportPresentScene(race, 200, sceneBoatsAt(race, 200), options())},
  };
  for (const auto& [name, bytes] : files) {
    const QString path = QStringLiteral(VELARO_TEST_DATA "/reports/") + name;
    if (qEnvironmentVariableIsSet("VELARO_UPDATE_GOLDEN")) {
      QFile out(path);
      ASSERT_TRUE(out.open(QIODevice::WriteOnly));
      ASSERT_EQ(out.write(bytes), bytes.size());
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_QEQ(in.readAll(), bytes) << name.toStdString();
    parseKml(bytes);
  }
}

// ogrinfo output for a KML file: the layers (one per folder) with the
// names and geometry kinds of their features.
struct OgrLayer {
  QString name;
  QStringList features;  // "name: LINESTRING" or "name: POINT"
};

std::vector<OgrLayer> ogrLayers(const QString& path) {
  QProcess ogr;
  ogr.start(QStringLiteral("ogrinfo"),
            {QStringLiteral("-ro"), QStringLiteral("-al"), QStringLiteral("-geom=SUMMARY"), path});
  EXPECT_TRUE(ogr.waitForFinished(60000));
  EXPECT_EQ(ogr.exitCode(), 0) << ogr.readAllStandardError().toStdString();
  std::vector<OgrLayer> layers;
  QString pendingName;
  for (const QString& line : QString::fromUtf8(ogr.readAllStandardOutput()).split(u'\n')) {
    if (line.startsWith(QStringLiteral("Layer name: "))) {
      layers.push_back({line.mid(12).trimmed(), {}});
    } else if (line.startsWith(QStringLiteral("  Name (String) = "))) {
      pendingName = line.mid(18);
    } else if (!layers.empty() && (line.startsWith(QStringLiteral("  LINESTRING")) ||
                                   line.startsWith(QStringLiteral("  POINT")))) {
      layers.back().features << pendingName + QStringLiteral(": ") + line.trimmed().section(u' ', 0, 0);
    }
  }
  return layers;
}

bool haveOgrinfo() {
  return !QStandardPaths::findExecutable(QStringLiteral("ogrinfo")).isEmpty();
}

const OgrLayer* layerNamed(const std::vector<OgrLayer>& layers, const QString& name) {
  for (const OgrLayer& l : layers) {
    if (l.name == name) {
      return &l;
    }
  }
  return nullptr;
}

TEST(KmlExportOgr, GlobeLoaderReadsTheSmallRace) {
  if (!haveOgrinfo()) {
    GTEST_SKIP() << "ogrinfo (GDAL) is not installed";
  }
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Race race = kmlRace();
  race.boats[0].BoatName = QStringLiteral("A&B <C>");
  const QString path = dir.filePath(QStringLiteral("race.kml"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const QByteArray bytes = ExportAllRace(race, options());
  ASSERT_EQ(file.write(bytes), bytes.size());
  file.close();
  parseKml(bytes);

  const std::vector<OgrLayer> layers = ogrLayers(path);
  const OgrLayer* tracks = layerNamed(layers, QStringLiteral("Track Lines"));
  ASSERT_NE(tracks, nullptr);
  EXPECT_QEQ(tracks->features,
             QStringList({QStringLiteral("A&B <C>: LINESTRING"), QStringLiteral("Bravo: LINESTRING")}));
  const OgrLayer* first = layerNamed(layers, QStringLiteral("2008/05/03 10:00:00"));
  ASSERT_NE(first, nullptr);
  EXPECT_QEQ(first->features,
             QStringList({QStringLiteral("A&B <C>: POINT"), QStringLiteral("Bravo: POINT")}));
  const OgrLayer* marks = layerNamed(layers, QStringLiteral("MARK_LINES"));
  ASSERT_NE(marks, nullptr);
  EXPECT_QEQ(marks->features,
             QStringList({QStringLiteral("MK1: POINT"), QStringLiteral("MK2: POINT"),
                          QStringLiteral("line1: LINESTRING"), QStringLiteral("LINE1-P: POINT"),
                          QStringLiteral("LINE1-S: POINT")}));
}

TEST(KmlExportOgr, GlobeLoaderReadsADemoRace) {
  if (!haveOgrinfo()) {
    GTEST_SKIP() << "ogrinfo (GDAL) is not installed";
  }
  const QString raceFile = QStringLiteral(VELARO_SOURCE_DIR "/data/demo/raceadmin/enoshima-spring.txt");
  if (!QFile::exists(raceFile)) {
    GTEST_SKIP() << "no demo race";
  }
  const LoadResult result =
      LoadRacePipeline(raceFile, RaceFolders(QStringLiteral(VELARO_SOURCE_DIR "/data/demo")), LoadOptions{});
  ASSERT_TRUE(result.loaded.has_value());
  const Race& race = result.loaded->race;
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const bool scene : {false, true}) {
    const double sceneTime = race.TimeAxisEnd / 2;
    const QByteArray bytes =
        scene ? ExportPresentScene(race, sceneTime, sceneBoatsAt(race, sceneTime), options())
              : ExportAllRace(race, options());
    parseKml(bytes);
    const QString path = dir.filePath(scene ? QStringLiteral("scene.kml") : QStringLiteral("race.kml"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    const std::vector<OgrLayer> layers = ogrLayers(path);

    if (scene) {
      // One layer for the scene with a tail line and a point per shown boat.
      ASSERT_EQ(layers.size(), 1u);
      int lines = 0;
      int points = 0;
      for (const QString& f : layers[0].features) {
        (f.endsWith(QStringLiteral("LINESTRING")) ? lines : points) += 1;
      }
      EXPECT_GT(lines, 0);
      EXPECT_EQ(lines, points);
      continue;
    }
    const OgrLayer* tracks = layerNamed(layers, QStringLiteral("Track Lines"));
    ASSERT_NE(tracks, nullptr);
    ASSERT_EQ(tracks->features.size(), race.BoatCount());
    for (int b = 0; b < race.BoatCount(); ++b) {
      EXPECT_QEQ(tracks->features[b], race.boats[b].BoatName + QStringLiteral(": LINESTRING"));
    }
    const double interval = snapshotInterval(race.TimeAxisEnd);
    int snapshotPoints = 0;
    for (int k = 0; k < snapshotCount(race.TimeAxisEnd); ++k) {
      const OgrLayer* snap = layerNamed(layers, dateTimeText(race.RaceStart, roundToInt(k * interval)));
      ASSERT_NE(snap, nullptr) << k;
      for (const QString& f : snap->features) {
        EXPECT_TRUE(f.endsWith(QStringLiteral(": POINT"))) << f.toStdString();
      }
      snapshotPoints += static_cast<int>(snap->features.size());
    }
    EXPECT_GT(snapshotPoints, race.BoatCount());
    const OgrLayer* marks = layerNamed(layers, QStringLiteral("MARK_LINES"));
    ASSERT_NE(marks, nullptr);
    EXPECT_EQ(marks->features.size(), race.MarkCount() + 4 * race.LineCount() - race.LineCount());
    EXPECT_EQ(marks->features.filter(QStringLiteral("LINESTRING")).size(), race.LineCount());
  }
}

}  // namespace
}  // namespace velaro
