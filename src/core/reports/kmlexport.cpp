#include "core/reports/kmlexport.h"

#include "core/analysis/boatcolours.h"
#include "core/datetime.h"
#include "core/reports/reporttext.h"
#include "core/scene/scenestate.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <optional>

namespace velaro {

namespace {

constexpr double kMinutesPerDegree = 60.0;
// The present-scene tail reaches back this many fixes before the current one.
constexpr int kTailFixes = 20;

const QString kNamespace = QStringLiteral("http://earth.google.com/kml/2.0");

// Builds the document line by line; every line ends CR LF.
class KmlWriter {
 public:
  void line(const QString& text) {
    m_text += text;
    m_text += QStringLiteral("\r\n");
  }
  QByteArray bytes() const { return m_text.toUtf8(); }

 private:
  QString m_text;
};

QString degrees(double minutes) {
  return generalText(minutes / kMinutesPerDegree);
}

QString trackPoint(const GeoPoint& p) {
  return degrees(p.lon) + u',' + degrees(p.lat) + QStringLiteral(",0.0 ");
}

QString pointCoordinates(const GeoPoint& p) {
  return QStringLiteral("<Point><coordinates>") + degrees(p.lon) + u',' + degrees(p.lat) +
         QStringLiteral(",0</coordinates>");
}

bool isFocused(const Race& race, const KmlOptions& options, int b) {
  if (static_cast<int>(options.focused.size()) == race.BoatCount()) {
    return options.focused[b] > 0;
  }
  return race.boats[b].BoatFocused > 0;
}

bool isIncluded(const Race& race, const KmlOptions& options, int b) {
  return !options.hideUnfocused || isFocused(race, options, b);
}

void writeHead(KmlWriter& w, const Race& race) {
  w.line(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
  w.line(QStringLiteral("<kml xmlns=\"") + kNamespace + QStringLiteral("\">"));
  w.line(QStringLiteral("<Folder>"));
  w.line(QStringLiteral("<name>") + xmlText(kmlFolderName(race.RaceCaption)) +
         QStringLiteral("</name><open>1</open>"));
}

// A boat's track or tail as a line in the boat's colour; boats out of focus
// are drawn thin.
template <typename Points>
void writeBoatLine(KmlWriter& w, const Race& race, const KmlOptions& options, int b, const Points& points) {
  w.line(QStringLiteral("<Placemark><name>") + xmlText(race.boats[b].BoatName) + QStringLiteral("</name>"));
  w.line(QStringLiteral("<Style><LineStyle><color>") + BoatKmlColour(b + 1) +
         QStringLiteral("</color><width>") +
         (isFocused(race, options, b) ? QStringLiteral("2") : QStringLiteral("1")) +
         QStringLiteral("</width></LineStyle></Style>"));
  w.line(QStringLiteral("<LineString><coordinates>"));
  for (const GeoPoint& p : points) {
    w.line(trackPoint(p));
  }
  w.line(QStringLiteral("</coordinates></LineString></Placemark>"));
}

// The name of a speed colour: the end bins hold every speed beyond them.
QString speedBinName(const SpeedRange& range, int bin) {
  const QString from = QString::number(speedBinEdge(range, bin), 'f', 1);
  const QString to = QString::number(speedBinEdge(range, bin + 1), 'f', 1);
  if (bin == 0) {
    return QStringLiteral("below ") + to + QStringLiteral(" kn");
  }
  if (bin == kSpeedColourBins - 1) {
    return from + QStringLiteral(" kn and above");
  }
  return from + QStringLiteral(" to ") + to + QStringLiteral(" kn");
}

// A boat's track or tail in the colours of its speeds, in a folder of its
// own: a placemark per colour the boat sailed in, holding a line per run of
// that colour. speeds[k] colours the segment from points[k] to points[k + 1].
void writeSpeedLines(KmlWriter& w, const Race& race, const KmlOptions& options, int b,
                     const std::vector<GeoPoint>& points, const std::vector<double>& speeds) {
  const SpeedRange& range = *options.speedColours;
  struct Run {
    size_t first = 0;
    size_t last = 0;
  };
  std::vector<std::vector<Run>> runs(kSpeedColourBins);
  int open = -1;
  for (size_t k = 0; k + 1 < points.size() && k < speeds.size(); ++k) {
    const int bin = speedBin(speeds[k], range);
    if (bin == open) {
      runs[bin].back().last = k + 1;
    } else {
      runs[bin].push_back({k, k + 1});
      open = bin;
    }
  }
  const QString name = xmlText(race.boats[b].BoatName);
  const QString width = isFocused(race, options, b) ? QStringLiteral("2") : QStringLiteral("1");
  w.line(QStringLiteral("<Folder><name>") + name + QStringLiteral("</name>"));
  for (int bin = 0; bin < kSpeedColourBins; ++bin) {
    if (runs[bin].empty()) {
      continue;
    }
    w.line(QStringLiteral("<Placemark><name>") + name + u' ' + speedBinName(range, bin) +
           QStringLiteral("</name>"));
    w.line(QStringLiteral("<Style><LineStyle><color>") + speedBinKmlColour(bin) +
           QStringLiteral("</color><width>") + width + QStringLiteral("</width></LineStyle></Style>"));
    w.line(QStringLiteral("<MultiGeometry>"));
    for (const Run& run : runs[bin]) {
      w.line(QStringLiteral("<LineString><coordinates>"));
      for (size_t k = run.first; k <= run.last; ++k) {
        w.line(trackPoint(points[k]));
      }
      w.line(QStringLiteral("</coordinates></LineString>"));
    }
    w.line(QStringLiteral("</MultiGeometry></Placemark>"));
  }
  w.line(QStringLiteral("</Folder>"));
}

struct PointLabels {
  QString dateTime, lat, lon, speed, course, degreeUnit, speedUnit, courseUnit;
};

PointLabels pointLabels(bool japanese) {
  if (japanese) {
    return {QStringLiteral("日時："),  QStringLiteral("緯度： "), QStringLiteral("経度： "),
            QStringLiteral("速度： "), QStringLiteral("針路： "), QStringLiteral("度"),
            QStringLiteral("ノット"),  QStringLiteral("度(T)")};
  }
  return {QStringLiteral("Date Time："), QStringLiteral("LAT： "), QStringLiteral("LON： "),
          QStringLiteral("BSP： "),      QStringLiteral("HDG： "), QStringLiteral(" DEG"),
          QStringLiteral(" KTS"),        QStringLiteral(" DEG(T)")};
}

// A boat's position with its description and an arrow turned to its course.
void writeBoatPoint(KmlWriter& w, const Race& race, const KmlOptions& options, int b, const GeoPoint& pos,
                    double course, double speed, const QString& dateTime) {
  const PointLabels l = pointLabels(options.japanese);
  w.line(QStringLiteral("<Placemark><name>") + xmlText(race.boats[b].BoatName) + QStringLiteral("</name>"));
  w.line(QStringLiteral("<description><![CDATA[<ul type=\"disk\"><li>") + l.dateTime + cdataText(dateTime) +
         QStringLiteral("<br>"));
  w.line(QStringLiteral("<li>") + l.lat + degrees(pos.lat) + l.degreeUnit + QStringLiteral("<br>"));
  w.line(QStringLiteral("<li>") + l.lon + degrees(pos.lon) + l.degreeUnit + QStringLiteral("<br>"));
  w.line(QStringLiteral("<li>") + l.speed + kmlSpeedText(speed) + l.speedUnit + QStringLiteral("<br>"));
  w.line(QStringLiteral("<li>") + l.course + kmlCourseText(course) + l.courseUnit + QStringLiteral("<br>"));
  w.line(QStringLiteral("</ul>]]></description>"));
  // "<href>" opens the line of the link, as in the mark group, so that the
  // link holds no line break.
  w.line(QStringLiteral("<visibility>1</visibility><Style><IconStyle><Icon>"));
  w.line(QStringLiteral("<href>") +
         xmlText(options.iconFolder + QStringLiteral("ar%1.png").arg(iconAngle(course))) +
         QStringLiteral("</href></Icon></IconStyle></Style>"));
  w.line(pointCoordinates(pos));
  w.line(QStringLiteral("</Point></Placemark>"));
}

// Lines 2 to 5 of a mark placemark: the buoy picture at p.
void writeBuoy(KmlWriter& w, const KmlOptions& options, const GeoPoint& p) {
  w.line(QStringLiteral("<visibility>1</visibility><Style><IconStyle><Icon>"));
  w.line(QStringLiteral("<href>") + xmlText(options.iconFolder + QStringLiteral("buoi.png")) +
         QStringLiteral("</href></Icon></IconStyle></Style>"));
  w.line(pointCoordinates(p));
  w.line(QStringLiteral("</Point></Placemark>"));
}

void writeMarksAndLines(KmlWriter& w, const Race& race, const KmlOptions& options) {
  w.line(QStringLiteral("<Folder><name>MARK_LINES</name>"));
  for (int m = 0; m < race.MarkCount(); ++m) {
    w.line(QStringLiteral("<Placemark><name>MK%1</name>").arg(m + 1));
    writeBuoy(w, options, race.marks[m]);
  }
  for (int n = 0; n < race.LineCount(); ++n) {
    const GeoLine& line = race.lines[n];
    w.line(QStringLiteral("<Placemark><name>line%1</name>").arg(n + 1));
    // The colour of the boat with the line's number. The boat colours carry
    // their own alpha, so they are written as they stand: eight digits, the
    // only length a KML colour has.
    w.line(QStringLiteral("<Style><LineStyle><color>") + BoatKmlColour(n + 1) +
           QStringLiteral("</color><width>1</width></LineStyle></Style>"));
    w.line(QStringLiteral("<LineString><coordinates>"));
    w.line(trackPoint(line.end1));
    w.line(trackPoint(line.end2));
    w.line(QStringLiteral("</coordinates></LineString></Placemark>"));
    w.line(QStringLiteral("<Placemark><name>LINE%1-P</name>").arg(n + 1));
    writeBuoy(w, options, line.end1);
    w.line(QStringLiteral("<Placemark><name>LINE%1-S</name>").arg(n + 1));
    writeBuoy(w, options, line.end2);
  }
  w.line(QStringLiteral("</Folder>"));
}

// Position of a boat at snapshot time t (whole seconds): the first fix pair
// P, P + 1 with time(P) <= t < time(P + 1), searched up to the last-but-one
// pair, so a boat leaves the snapshots at its last-but-one fix. Course and
// speed are those of the later fix.
struct Snapshot {
  GeoPoint pos;
  double course = 0;
  double speed = 0;
};

std::optional<Snapshot> snapshotOf(const Boat& boat, int t) {
  const int pairs = boat.FixCount() - 2;
  for (int p = 0; p < pairs; ++p) {
    const Fix& a = boat.fixes[p];
    const Fix& b = boat.fixes[p + 1];
    if (!(a.time <= t && t < b.time)) {
      continue;
    }
    const int s = roundToInt(a.time);
    const int e = roundToInt(b.time);
    // Two fixes within the same whole second: the earlier one stands.
    const double f = e != s ? (t - s) / static_cast<double>(e - s) : 0.0;
    return Snapshot{{a.lat + (b.lat - a.lat) * f, a.lon + (b.lon - a.lon) * f}, b.course, b.speed};
  }
  return std::nullopt;
}

}  // namespace

double snapshotInterval(double timeAxisEnd) {
  const int d = truncToInt(timeAxisEnd / 50);
  if (d >= 1800) {
    return 3600;
  }
  if (d >= 1200) {
    return 1800;
  }
  if (d >= 600) {
    return 1200;
  }
  if (d >= 300) {
    return 600;
  }
  return 300;
}

int snapshotCount(double timeAxisEnd) {
  const int last = roundToInt(timeAxisEnd / snapshotInterval(timeAxisEnd)) + 1;
  return last < 0 ? 0 : last + 1;
}

int iconAngle(double course) {
  const int angle = truncToInt(course / 10 + 0.5) * 10;
  return angle == 360 ? 0 : angle;
}

QString kmlSpeedText(double knots) {
  return generalText(truncToInt(knots * 100 + 0.5) / 100.0);
}

QString kmlCourseText(double course) {
  return QString::number(truncToInt(course));
}

QString kmlFolderName(const QString& caption) {
  const qsizetype blank = caption.indexOf(u' ');
  const QString rest = blank < 0 ? caption : caption.mid(blank + 1);
  const qsizetype point = rest.indexOf(u'.');
  return point < 0 ? QString() : rest.left(point);
}

QString xmlText(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    const char16_t u = c.unicode();
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      out += c;
      out += text[++i];
      continue;
    }
    // XML 1.0 carries neither most control characters nor lone surrogates.
    const bool allowed = u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u < 0xD800) ||
                         (u >= 0xE000 && u != 0xFFFE && u != 0xFFFF);
    if (!allowed) {
      continue;
    }
    switch (u) {
      case u'&':
        out += QStringLiteral("&amp;");
        break;
      case u'<':
        out += QStringLiteral("&lt;");
        break;
      case u'>':
        out += QStringLiteral("&gt;");
        break;
      case u'"':
        out += QStringLiteral("&quot;");
        break;
      default:
        out += c;
    }
  }
  return out;
}

QString cdataText(const QString& text) {
  QString out = text;
  return out.replace(QStringLiteral("]]>"), QStringLiteral("]]]]><![CDATA[>"));
}

std::vector<SceneBoat> sceneBoatsAt(const Race& race, double t) {
  std::vector<SceneBoat> scene(race.BoatCount());
  for (int b = 0; b < race.BoatCount(); ++b) {
    const Boat& boat = race.boats[b];
    const std::optional<int> j = FindBoatSegment(boat, t, 0, false);
    if (!j) {
      continue;
    }
    const Fix& a = boat.fixes[*j];
    const Fix& next = boat.fixes[*j + 1];
    SceneBoat& s = scene[b];
    s.segment = *j + 1;
    s.active = next.time - a.time <= kMaxFixGapSeconds;
    const double f = next.time > a.time ? (t - a.time) / (next.time - a.time) : 0.0;
    s.pos = {a.lat + (next.lat - a.lat) * f, a.lon + (next.lon - a.lon) * f};
    s.course = BoatCourseAt(boat, *j, t);
    s.speed = a.speed;
  }
  return scene;
}

std::vector<SceneBoat> sceneBoatsFrom(const SceneState& state) {
  std::vector<SceneBoat> scene;
  scene.reserve(state.boats.size());
  for (const BoatScene& b : state.boats) {
    scene.push_back({b.BoatActive, b.BoatSegment + 1, b.position(), b.BoatCourse, b.BoatSpeed});
  }
  return scene;
}

QByteArray ExportAllRace(const Race& race, const KmlOptions& options) {
  KmlWriter w;
  writeHead(w, race);

  w.line(QStringLiteral("<Folder><name>Track Lines</name>"));
  for (int b = 0; b < race.BoatCount(); ++b) {
    if (!isIncluded(race, options, b)) {
      continue;
    }
    std::vector<GeoPoint> points;
    points.reserve(race.boats[b].fixes.size());
    for (const Fix& f : race.boats[b].fixes) {
      points.push_back({f.lat, f.lon});
    }
    if (options.speedColours) {
      std::vector<double> speeds;
      colourSpeeds(race.boats[b], speeds);
      writeSpeedLines(w, race, options, b, points, speeds);
    } else {
      writeBoatLine(w, race, options, b, points);
    }
  }
  w.line(QStringLiteral("</Folder>"));

  w.line(QStringLiteral("<Folder><name>POINTS</name>"));
  w.line(QStringLiteral("<visibility>0</visibility>"));
  w.line(QStringLiteral("<open>1</open>"));
  const double interval = snapshotInterval(race.TimeAxisEnd);
  const int count = snapshotCount(race.TimeAxisEnd);
  for (int k = 0; k < count; ++k) {
    const int t = roundToInt(k * interval);
    const QString when = dateTimeText(race.RaceStart, t);
    w.line(QStringLiteral("<Folder><name>") + xmlText(when) + QStringLiteral("</name>"));
    for (int b = 0; b < race.BoatCount(); ++b) {
      if (!isIncluded(race, options, b)) {
        continue;
      }
      if (const std::optional<Snapshot> s = snapshotOf(race.boats[b], t)) {
        writeBoatPoint(w, race, options, b, s->pos, s->course, s->speed, when);
      }
    }
    w.line(QStringLiteral("</Folder>"));
  }
  w.line(QStringLiteral("</Folder>"));

  writeMarksAndLines(w, race, options);
  w.line(QStringLiteral("</Folder></kml>"));
  return w.bytes();
}

QByteArray ExportPresentScene(const Race& race, double sceneTime, const std::vector<SceneBoat>& scene,
                              const KmlOptions& options) {
  const QString when = dateTimeText(race.RaceStart, roundToInt(sceneTime));
  const qsizetype blank = when.indexOf(u' ');
  const QString timeOfDay = blank < 0 ? when : when.mid(blank + 1);

  KmlWriter w;
  writeHead(w, race);
  w.line(QStringLiteral("<Folder><name>") + xmlText(timeOfDay) + QStringLiteral("</name>"));
  const int boats = std::min(race.BoatCount(), static_cast<int>(scene.size()));
  for (int b = 0; b < boats; ++b) {
    const SceneBoat& s = scene[b];
    const std::vector<Fix>& fixes = race.boats[b].fixes;
    if (!isIncluded(race, options, b) || !s.active || s.segment < 1 ||
        s.segment > static_cast<int>(fixes.size())) {
      continue;
    }
    // The tail runs newest first from the scene's fix back over 20 more.
    std::vector<GeoPoint> tail;
    for (int i = s.segment; i >= std::max(s.segment - kTailFixes, 1); --i) {
      tail.push_back({fixes[i - 1].lat, fixes[i - 1].lon});
    }
    if (options.speedColours) {
      // Running backwards, each segment takes the speed of its older end.
      std::vector<double> boatSpeeds;
      colourSpeeds(race.boats[b], boatSpeeds);
      std::vector<double> speeds;
      for (int i = s.segment; i >= std::max(s.segment - kTailFixes, 1) + 1; --i) {
        speeds.push_back(boatSpeeds[i - 2]);
      }
      writeSpeedLines(w, race, options, b, tail, speeds);
    } else {
      writeBoatLine(w, race, options, b, tail);
    }
    writeBoatPoint(w, race, options, b, s.pos, s.course, s.speed, when);
  }
  w.line(QStringLiteral("</Folder></Folder></kml>"));
  return w.bytes();
}

QRect kmlHintRect(QPoint buttonTopLeft, bool japanese) {
  const int width = japanese ? 250 : 190;
  constexpr int kHeight = 60;
  return QRect(buttonTopLeft.x() - width - 5, buttonTopLeft.y(), width, kHeight);
}

}  // namespace velaro
