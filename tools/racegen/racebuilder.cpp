#include "racegen/racebuilder.h"

#include "core/datetime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <set>

namespace velaro::racegen {

namespace {

GeoPoint degrees(double latDeg, double lonDeg) {
  return {latDeg * 60.0, lonDeg * 60.0};
}

const std::vector<Location>& locations() {
  static const std::vector<Location> kLocations = {
      {QStringLiteral("enoshima"), QStringLiteral("Sagami Bay off Enoshima"),
       QStringLiteral("江の島沖 相模湾"), degrees(35.2870, 139.4620), degrees(35.2980, 139.4830), 200, 9,
       -7.6},
      {QStringLiteral("nishinomiya"), QStringLiteral("Osaka Bay off Nishinomiya"),
       QStringLiteral("西宮沖 大阪湾"), degrees(34.6820, 135.3300), degrees(34.7010, 135.3330), 225, 10,
       -7.8},
  };
  return kLocations;
}

const QStringList kEnglishNames = {
    QStringLiteral("Blue Heron"), QStringLiteral("Seahorse"),   QStringLiteral("Kestrel"),
    QStringLiteral("Tern"),       QStringLiteral("Wildcat"),    QStringLiteral("Halcyon"),
    QStringLiteral("Osprey"),     QStringLiteral("Puffin"),     QStringLiteral("Skylark"),
    QStringLiteral("Moonshadow"), QStringLiteral("Spindrift"),  QStringLiteral("Windrunner"),
    QStringLiteral("Albatross"),  QStringLiteral("Sea Breeze"), QStringLiteral("Red Fox"),
    QStringLiteral("Marlin"),     QStringLiteral("Petrel"),     QStringLiteral("Gannet"),
    QStringLiteral("Nighthawk"),  QStringLiteral("Corsair"),    QStringLiteral("Dolphin"),
    QStringLiteral("Swift"),      QStringLiteral("Cormorant"),  QStringLiteral("Firefly"),
    QStringLiteral("Whisper"),    QStringLiteral("Tailwind"),   QStringLiteral("Merlin"),
    QStringLiteral("Curlew"),     QStringLiteral("Kittiwake"),  QStringLiteral("Shearwater"),
    QStringLiteral("Sandpiper"),  QStringLiteral("Zephyr"),     QStringLiteral("Orca"),
    QStringLiteral("Sirius"),     QStringLiteral("Vega"),       QStringLiteral("Polaris"),
    QStringLiteral("Orion"),      QStringLiteral("Pegasus"),    QStringLiteral("Phoenix"),
    QStringLiteral("Aurora"),
};

const QStringList kJapaneseNames = {
    QStringLiteral("青嵐"), QStringLiteral("疾風"), QStringLiteral("海風"), QStringLiteral("白鷺"),
    QStringLiteral("若潮"), QStringLiteral("飛燕"), QStringLiteral("隼"),   QStringLiteral("蒼龍"),
    QStringLiteral("波切"), QStringLiteral("千鳥"), QStringLiteral("鴎"),   QStringLiteral("翔鶴"),
    QStringLiteral("瑞鳳"), QStringLiteral("朝凪"), QStringLiteral("夕凪"), QStringLiteral("春一番"),
    QStringLiteral("黒潮"), QStringLiteral("白波"), QStringLiteral("大鷲"), QStringLiteral("紅葉"),
    QStringLiteral("桜"),   QStringLiteral("凛"),   QStringLiteral("雅"),   QStringLiteral("暁"),
    QStringLiteral("天狗"), QStringLiteral("風神"), QStringLiteral("雷神"), QStringLiteral("鳳凰"),
    QStringLiteral("若鷹"), QStringLiteral("海燕"), QStringLiteral("潮騒"), QStringLiteral("月光"),
    QStringLiteral("流星"), QStringLiteral("北斗"), QStringLiteral("昴"),   QStringLiteral("銀河"),
    QStringLiteral("初風"), QStringLiteral("夏潮"), QStringLiteral("秋風"), QStringLiteral("冬星"),
};

QString boatName(BoatNames names, int i) {
  const bool japanese = names == BoatNames::Japanese || (names == BoatNames::Mixed && i % 2 == 1);
  const QStringList& list = japanese ? kJapaneseNames : kEnglishNames;
  const int n = static_cast<int>(list.size());
  const int index = names == BoatNames::Mixed ? i / 2 : i;
  QString name = list[index % n];
  if (index >= n) {
    name += QStringLiteral(" %1").arg(index / n + 1);
  }
  return name;
}

QString minutes(double value) {
  return QString::number(value, 'f', 4);
}

QString pointFields(GeoPoint p) {
  return minutes(p.lat) + u',' + minutes(p.lon);
}

// Degrees and minutes for people: 35°16.200'N.
QString humanPosition(GeoPoint p) {
  auto part = [](double m, bool lat) {
    const double a = std::fabs(m);
    const int deg = static_cast<int>(a / 60);
    return QStringLiteral("%1°%2'%3")
        .arg(deg)
        .arg(a - deg * 60, 6, 'f', 3, QChar(u'0'))
        .arg(QChar(lat ? (m < 0 ? u'S' : u'N') : (m < 0 ? u'W' : u'E')));
  };
  return part(p.lat, true) + u' ' + part(p.lon, false);
}

int sheetRowOf(double lat) {
  return static_cast<int>(std::floor(lat / 40.0));
}
int sheetColumnOf(double lon) {
  return static_cast<int>(std::floor(lon / 60.0));
}

// Seconds near which a dropout or a spike would hide a passing: a rounding
// must stay visible in the log for the passing times to match.
bool nearPassing(const SimBoat& boat, int t) {
  for (double p : boat.passTimes) {
    if (!std::isnan(p) && std::fabs(t - p) < 120) {
      return true;
    }
  }
  return !std::isnan(boat.earlyCrossing) && std::fabs(t - boat.earlyCrossing) < 120;
}

// Within this distance of a mark a spike would pass for a rounding.
bool nearMark(const CourseLayout& course, Vec p) {
  for (const Vec& m : course.marks) {
    if ((p - m).length() < 650) {
      return true;
    }
  }
  return false;
}

bool crossesCourseLine(const CourseLayout& course, Vec a, Vec b) {
  for (const Segment& line : course.lines) {
    if (segmentCrossing(a, b, line.end1, line.end2) >= 0) {
      return true;
    }
  }
  return false;
}

// The logged fixes of one boat: its true positions at the logger's interval
// (or several times a second, between the simulated seconds) with the wander
// of a GPS fix, a dropout now and then, and the odd spike.
BoatLog makeLog(const SimBoat& boat, const CourseLayout& course, const LocalFrame& frame, qint64 gunUnix,
                int interval, int fixesPerSecond, Rng& rng) {
  BoatLog log;
  log.intervalSeconds = interval;
  log.fixesPerSecond = fixesPerSecond;
  const auto& track = boat.track;
  const int first = track.front().t;
  const int last = track.back().t;
  int gapFrom = 0;
  int gapTo = 0;
  if (rng.chance(0.35) && last - first > 1500) {
    gapFrom = rng.integer(60, std::max(61, last - 600));
    gapTo = gapFrom + rng.integer(60, 200);
    for (int t = gapFrom - 60; t < gapTo + 60; t += 10) {
      if (nearPassing(boat, t)) {
        gapFrom = gapTo = 0;
        break;
      }
    }
  }
  const double rho = std::exp(-interval / (25.0 * fixesPerSecond));
  const double sigma = rng.uniform(1.5, 3.0);
  Vec noise{rng.normal(0, sigma), rng.normal(0, sigma)};
  const double eleBase = rng.uniform(1, 6);
  std::vector<Vec> local;
  for (std::size_t i = 0; i < track.size(); ++i) {
    const TruthFix& f = track[i];
    if ((f.t - first) % interval != 0) {
      continue;
    }
    // The simulation moves in whole seconds: between them a boat sails
    // straight. The last second has no fixes after its first.
    const int parts = i + 1 < track.size() ? fixesPerSecond : 1;
    for (int part = 0; part < parts; ++part) {
      noise.x = rho * noise.x + std::sqrt(1 - rho * rho) * rng.normal(0, sigma);
      noise.y = rho * noise.y + std::sqrt(1 - rho * rho) * rng.normal(0, sigma);
      if (f.t >= gapFrom && f.t < gapTo) {
        continue;
      }
      const double along = static_cast<double>(part) / fixesPerSecond;
      const Vec pos = part == 0 ? f.pos : f.pos + (track[i + 1].pos - f.pos) * along;
      const GeoPoint p = frame.toGeo(pos + noise);
      log.fixes.push_back({gunUnix + f.t, p.lat / 60.0, p.lon / 60.0, eleBase + rng.normal(0, 2.5),
                           part * 1000 / fixesPerSecond});
      log.fixSeconds.push_back(f.t);
      log.fixErrors.push_back(noise);
      local.push_back(pos + noise);
    }
  }
  if (rng.chance(0.3) && log.fixes.size() > 20) {
    const int count = rng.integer(1, 3);
    for (int i = 0; i < count; ++i) {
      const int at = rng.integer(10, static_cast<int>(log.fixes.size()) - 10);
      const Vec spike = local[at] + bearingVec(rng.uniform(0, 360)) * rng.uniform(150, 700);
      // A spike across a course line would be read as a passing.
      // Nor may it fall while the boat closes on a mark: a far-off fix there
      // would end the search for the boat's nearest approach too soon.
      if (nearPassing(boat, log.fixSeconds[at]) || nearMark(course, spike) || nearMark(course, local[at]) ||
          crossesCourseLine(course, local[at - 1], spike) ||
          crossesCourseLine(course, spike, local[at + 1]) ||
          std::binary_search(log.outliers.begin(), log.outliers.end(), at)) {
        continue;
      }
      const GeoPoint p = frame.toGeo(spike);
      log.fixes[at].latDeg = p.lat / 60.0;
      log.fixes[at].lonDeg = p.lon / 60.0;
      log.outliers.insert(std::lower_bound(log.outliers.begin(), log.outliers.end(), at), at);
    }
  }
  return log;
}

QString localText(double dateTime) {
  return formatDateTime(dateTime);
}

QByteArray windLogText(const GeneratedRace& race, const WindModel& wind, Rng& rng) {
  QStringList lines = {QStringLiteral("DATE TIME,SPEED(kt),DIRECTION(deg mag)")};
  const int from = static_cast<int>(std::floor(race.sim.firstSecond / 60.0)) * 60;
  const int to = static_cast<int>(std::round((race.finishLocal - race.gunLocal) * kSecondsPerDay));
  for (int t = from; t <= to; t += 60) {
    const WindState w = wind.at(t);
    const double speed = std::max(0.0, w.speed + rng.normal(0, 0.3));
    const double dirMag = normDeg(w.dirTrue - race.location.magVariation + rng.normal(0, 1.5));
    lines << QStringLiteral("%1,%2,%3")
                 .arg(localText(race.gunLocal + t / kSecondsPerDay))
                 .arg(speed, 0, 'f', 1)
                 .arg(dirMag, 0, 'f', 1);
  }
  QByteArray out;
  for (const QString& l : lines) {
    out.append(l.toUtf8());
    out.append("\r\n");
  }
  return out;
}

QString raceTitle(const GeneratedRace& race) {
  const RaceOptions& o = race.options;
  return o.title.isEmpty()
             ? QStringLiteral("%1 %2").arg(race.location.nameEn, o.date.toString(QStringLiteral("yyyy")))
             : o.title;
}

QByteArray noticeHtml(const GeneratedRace& race) {
  const RaceOptions& o = race.options;
  const CourseLayout& c = race.sim.course;
  const LocalFrame frame(race.location.centre);
  QString course;
  for (const CourseItem& item : c.items) {
    course += (course.isEmpty() ? QString() : QStringLiteral(" &rarr; ")) + item.name();
  }
  QString marks;
  for (std::size_t i = 0; i < c.marks.size(); ++i) {
    marks += QStringLiteral("<tr><td>MK%1</td><td>%2</td></tr>\n")
                 .arg(i + 1)
                 .arg(humanPosition(frame.toGeo(c.marks[i])));
  }
  for (std::size_t i = 0; i < c.lines.size(); ++i) {
    const QString what = static_cast<int>(i) == c.startLine    ? QStringLiteral("start / スタート")
                         : static_cast<int>(i) == c.finishLine ? QStringLiteral("finish / フィニッシュ")
                                                               : QStringLiteral("gate / ゲート");
    marks += QStringLiteral("<tr><td>L%1 (%2)</td><td>%3 &ndash; %4</td></tr>\n")
                 .arg(i + 1)
                 .arg(what, humanPosition(frame.toGeo(c.lines[i].end1)),
                      humanPosition(frame.toGeo(c.lines[i].end2)));
  }
  const QString html =
      QStringLiteral(
          "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
          "<title>%1</title>\n<style>body{font-family:sans-serif;max-width:40em;margin:2em auto;}"
          "td{padding:0 1em 0 0;}</style>\n</head>\n<body>\n<h1>%1</h1>\n"
          "<p>帆走指示書 / Sailing instructions (demo race made by Velaro's race generator; "
          "positions and results are simulated)</p>\n"
          "<h2>日時 / Date</h2>\n<p>%2, warning signal %3, start %4 (JST)</p>\n"
          "<h2>海面 / Area</h2>\n<p>%5 / %6</p>\n"
          "<h2>コース / Course</h2>\n<p>%7</p>\n<p>Marks are left to port. "
          "マークはすべて左舷に見て回航する。</p>\n<table>\n%8</table>\n"
          "<h2>スタート / Start</h2>\n<p>Preparatory signal: flag P, %9 minutes before the start. "
          "Boats over the line at the start must return and start again.</p>\n"
          "<h2>艇 / Boats</h2>\n<p>%10 boats, one design, length %11 m.</p>\n</body>\n</html>\n")
          .arg(raceTitle(race).toHtmlEscaped())
          .arg(o.date.toString(QStringLiteral("yyyy/MM/dd")),
               o.gun.addSecs(-60 * o.preStartMinutes).toString(QStringLiteral("HH:mm")),
               o.gun.toString(QStringLiteral("HH:mm")), race.location.nameJa, race.location.nameEn, course,
               marks)
          .arg(o.preStartMinutes - 1)
          .arg(o.boats)
          .arg(Polar::kBoatLengthMetres);
  return html.toUtf8();
}

}  // namespace

std::optional<Location> locationByKey(const QString& key) {
  for (const Location& l : locations()) {
    if (l.key == key) {
      return l;
    }
  }
  return std::nullopt;
}

QStringList locationKeys() {
  QStringList keys;
  for (const Location& l : locations()) {
    keys << l.key;
  }
  return keys;
}

std::vector<RaceOptions> demoRaceOptions() {
  std::vector<RaceOptions> races;
  RaceOptions spring;
  spring.stem = QStringLiteral("enoshima-spring");
  spring.boats = 12;
  spring.shape = CourseShape::WindwardLeeward;
  spring.laps = 2;
  spring.location = QStringLiteral("enoshima");
  spring.names = BoatNames::Mixed;
  spring.seed = 20250518;
  spring.date = QDate(2025, 5, 18);
  spring.gun = QTime(11, 0);
  spring.durationMinutes = 40;
  spring.title = QStringLiteral("Enoshima Spring Regatta R1");
  races.push_back(spring);

  RaceOptions summer;
  summer.stem = QStringLiteral("nishinomiya-summer");
  summer.boats = 20;
  summer.shape = CourseShape::Triangle;
  summer.laps = 2;
  summer.location = QStringLiteral("nishinomiya");
  summer.names = BoatNames::English;
  summer.seed = 20250824;
  summer.date = QDate(2025, 8, 24);
  summer.gun = QTime(13, 30);
  summer.durationMinutes = 45;
  summer.title = QStringLiteral("Nishinomiya Summer Series R3");
  races.push_back(summer);

  RaceOptions autumn;
  autumn.stem = QStringLiteral("enoshima-autumn");
  autumn.boats = 6;
  autumn.shape = CourseShape::WindwardLeeward;
  autumn.laps = 1;
  autumn.northUp = true;
  autumn.location = QStringLiteral("enoshima");
  autumn.names = BoatNames::Japanese;
  autumn.seed = 20251012;
  autumn.date = QDate(2025, 10, 12);
  autumn.gun = QTime(17, 5);
  autumn.durationMinutes = 25;
  autumn.windDir = 240;
  autumn.windSpeed = 12;
  autumn.retirement = false;
  autumn.title = QStringLiteral("江の島 秋季レース 第2レース");
  races.push_back(autumn);
  return races;
}

GeoPoint truthPosition(const GeneratedRace& race, Vec local) {
  return LocalFrame(race.location.centre).toGeo(local);
}

GeneratedRace generateRace(const RaceOptions& options) {
  GeneratedRace race;
  race.options = options;
  race.options.boats = std::clamp(options.boats, 1, kMaxBoats);
  const RaceOptions& o = race.options;
  race.location = locationByKey(o.location).value_or(locations().front());
  const Location& loc = race.location;

  Rng rng(o.seed);
  Rng windRng = rng.fork(7);
  Rng simRng = rng.fork(11);
  Rng logRng = rng.fork(13);
  const Polar polar;

  const double windDir = o.windDir >= 0 ? o.windDir : loc.windDir;
  const double windSpeed = o.windSpeed > 0 ? o.windSpeed : loc.windSpeed;
  const double raceSeconds = o.durationMinutes * 60.0;

  SimParams params;
  params.boats = o.boats;
  params.preStartSeconds = o.preStartMinutes * 60;
  params.expectedRaceSeconds = raceSeconds;
  params.course.shape = o.shape;
  params.course.windDir = windDir;
  params.course.laps = o.laps;
  params.course.boats = o.boats;
  params.course.legMetres = legForDuration(o.shape, o.laps, raceSeconds, windSpeed, polar);
  params.oneOverTheLine = o.boats >= 4;
  params.retiringBoat = o.retirement && o.boats >= 8 ? o.boats - 3 : -1;
  const LocalFrame frame(loc.centre);
  params.harbour = frame.toLocal(loc.harbour);
  params.wind.meanDir = windDir;
  params.wind.meanSpeed = windSpeed;
  params.wind.driftDeg = windRng.uniform(6, 12) * (windRng.chance(0.7) ? 1 : -1);
  params.wind.startSeconds = -params.preStartSeconds - 900;
  params.wind.spanSeconds = raceSeconds + params.preStartSeconds + 900;
  const WindModel wind(params.wind, windRng);

  race.sim = simulateRace(params, polar, wind, simRng);

  const QDateTime gunUtc = QDateTime(o.date, o.gun, Qt::UTC).addSecs(-3600LL * o.timeDifferenceHours);
  const qint64 gunUnix = gunUtc.toSecsSinceEpoch();
  race.gunLocal = toDateTime(o.date, o.gun);
  double lastFinish = race.sim.lastFinish;
  if (lastFinish <= 0) {
    lastFinish = raceSeconds * 1.5;
  }
  const int finishSeconds = static_cast<int>(std::ceil((lastFinish + 180) / 60.0)) * 60;
  race.finishLocal = race.gunLocal + finishSeconds / kSecondsPerDay;

  race.passSeconds.assign(race.sim.course.items.size(), std::numeric_limits<double>::quiet_NaN());
  for (const SimBoat& b : race.sim.boats) {
    for (std::size_t k = 0; k < b.passTimes.size(); ++k) {
      if (!std::isnan(b.passTimes[k]) && !(b.passTimes[k] >= race.passSeconds[k])) {
        race.passSeconds[k] = b.passTimes[k];
      }
    }
  }

  // Loggers: formats dealt round so that every format appears in a fleet of
  // six or more; intervals as owners set them.
  std::vector<LogFormat> deck(std::begin(kAllLogFormats), std::end(kAllLogFormats));
  for (std::size_t i = deck.size() - 1; i > 0; --i) {
    std::swap(deck[i], deck[static_cast<std::size_t>(logRng.integer(0, static_cast<int>(i)))]);
  }
  static const int kIntervals[] = {1, 1, 2, 2, 2, 3, 3, 5, 5, 10};
  std::set<int> sailNumbers;
  for (int i = 0; i < o.boats; ++i) {
    Rng boatRng = logRng.fork(1000 + i);
    int sail = boatRng.integer(1000, 6999);
    while (sailNumbers.count(sail)) {
      sail = sail % 6999 + 1;
    }
    sailNumbers.insert(sail);
    const int fixesPerSecond = std::max(1, o.fixesPerSecond);
    int interval = o.logInterval > 0 ? o.logInterval : kIntervals[boatRng.integer(0, 9)];
    if (fixesPerSecond > 1) {
      interval = 1;
    }
    BoatLog log =
        makeLog(race.sim.boats[i], race.sim.course, frame, gunUnix, interval, fixesPerSecond, boatRng);
    log.sailNumber = QStringLiteral("JPN%1").arg(sail);
    log.boatName = boatName(o.names, i);
    log.format = o.format.value_or(deck[i % deck.size()]);
    log.fileName =
        QStringLiteral("%1-%2.%3").arg(o.stem, log.sailNumber.toLower(), logFormatExtension(log.format));
    // One logger's clock runs behind; the race office corrects it in BN.
    if (i == 2 && o.boats >= 3) {
      log.clockErrorSeconds = -20;
      for (LogFix& f : log.fixes) {
        f.unixSeconds += log.clockErrorSeconds;
      }
    }
    log.focused = !(o.boats >= 4 && i == o.boats - 1);
    const LogMeta meta{QStringLiteral("ACTIVE LOG %1").arg(i + 1, 3, 10, QChar(u'0')),
                       QDateTime::fromSecsSinceEpoch(gunUnix + finishSeconds + 3600, Qt::UTC), interval > 1,
                       fixesPerSecond > 1};
    race.files[QStringLiteral("gpsdat/") + log.fileName] = writeLog(log.format, log.fixes, meta);
    race.logs.push_back(std::move(log));
  }

  race.files[QStringLiteral("winddat/") + o.stem + QStringLiteral(".csv")] = windLogText(race, wind, windRng);
  race.files[QStringLiteral("attachment/") + o.stem + QStringLiteral("-notice.html")] = noticeHtml(race);
  race.files[QStringLiteral("raceadmin/") + o.stem + QStringLiteral(".txt")] = raceFileText(race);
  return race;
}

QByteArray raceFileText(const GeneratedRace& race) {
  const RaceOptions& o = race.options;
  const CourseLayout& c = race.sim.course;
  const Location& loc = race.location;
  const LocalFrame frame(loc.centre);
  const Polar polar;
  const double tws = o.windSpeed > 0 ? o.windSpeed : loc.windSpeed;
  QStringList lines;
  const QString title = raceTitle(race);
  const QString subtitle =
      o.subtitle.isEmpty()
          ? QStringLiteral("%1  %2").arg(o.date.toString(QStringLiteral("yyyy/MM/dd")), loc.nameJa)
          : o.subtitle;
  lines << QStringLiteral("T1,") + title;
  lines << QStringLiteral("T2,") + subtitle;
  lines << QStringLiteral("NOTE,Demo race simulated by velaro-racegen (seed %1)").arg(o.seed);
  lines << QStringLiteral("FLG,P");
  lines << QStringLiteral("ST,") + formatDateTime(race.gunLocal);
  lines << QStringLiteral("FT,") + formatDateTime(race.finishLocal);
  lines << QStringLiteral("TD,%1").arg(o.timeDifferenceHours);
  lines << QStringLiteral("BT,%1").arg(o.preStartMinutes);
  lines << QStringLiteral("MG,%1").arg(loc.magVariation, 0, 'f', 1);
  lines << QStringLiteral("WD,%1").arg(std::lround(normDeg(c.windDir - loc.magVariation)));
  lines << QStringLiteral("WF,") + o.stem + QStringLiteral(".csv");
  lines << QStringLiteral("LL,%1,%2")
               .arg(std::lround(polar.beatAngle(tws)))
               .arg(std::lround(polar.runAngle(tws)));
  lines << QStringLiteral("LG,%1").arg(Polar::kBoatLengthMetres, 0, 'f', 1);
  lines << QStringLiteral("NU,%1").arg(o.northUp ? 1 : 0);
  lines << QStringLiteral("PS,%1").arg(o.durationMinutes >= 60 ? 20 : 10);
  const GeoPoint centre = loc.centre;
  lines << QStringLiteral("MAP,%1%2").arg(sheetRowOf(centre.lat)).arg(sheetColumnOf(centre.lon) - 100);
  for (const Vec& m : c.marks) {
    lines << QStringLiteral("MK,") + pointFields(frame.toGeo(m));
  }
  for (const Segment& l : c.lines) {
    lines << QStringLiteral("LN,") + pointFields(frame.toGeo(l.end1)) + u',' +
                 pointFields(frame.toGeo(l.end2));
  }
  for (const Segment& l : c.refLines) {
    lines << QStringLiteral("RL,") + pointFields(frame.toGeo(l.end1)) + u',' +
                 pointFields(frame.toGeo(l.end2));
  }
  QStringList items;
  for (const CourseItem& item : c.items) {
    items << item.name();
  }
  lines << QStringLiteral("CRS,") + items.join(u',');
  lines << QStringLiteral("AT,") + o.stem + QStringLiteral("-notice.html");
  for (const BoatLog& log : race.logs) {
    QString bn = QStringLiteral("BN,%1,%2,%3").arg(log.fileName, log.boatName).arg(-log.clockErrorSeconds);
    if (!log.focused) {
      bn += QStringLiteral(",hide");
    }
    lines << bn;
  }
  QByteArray out;
  for (const QString& l : lines) {
    out.append(l.toUtf8());
    out.append("\r\n");
  }
  return out;
}

bool writeRaceFiles(const GeneratedRace& race, const QString& root, QString* error) {
  for (const auto& [relative, bytes] : race.files) {
    const QString path = QDir(root).filePath(relative);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
      *error = QStringLiteral("cannot create the folder of %1").arg(path);
      return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      *error = QStringLiteral("%1: %2").arg(path, file.errorString());
      return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
      *error = QStringLiteral("%1: %2").arg(path, file.errorString());
      return false;
    }
    file.close();
  }
  return true;
}

}  // namespace velaro::racegen
