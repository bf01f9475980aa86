// velaro-racegen: simulates a fleet racing a course and writes a complete
// race folder (race file, GPS logs, wind log, race notice).
#include "racegen/racebuilder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

using namespace velaro::racegen;

// Copies the coastline sheets and light lists of the race area (and the
// overview pair) from a folder the coastline script filled.
bool copyCoastline(const GeneratedRace& race, const QString& from, const QString& root, QString* error) {
  const QDir source(from);
  const QDir target(QDir(root).filePath(QStringLiteral("coastline")));
  if (!QDir().mkpath(target.path())) {
    *error = QStringLiteral("cannot create %1").arg(target.path());
    return false;
  }
  const auto& c = race.location.centre;
  QStringList names = {QStringLiteral("toba.cst"), QStringLiteral("toba.lh")};
  // The sheets within 20 minutes of the course centre cover any window the
  // reader may ask for.
  for (int dr = -1; dr <= 1; ++dr) {
    for (int dc = -1; dc <= 1; ++dc) {
      const int row = static_cast<int>(std::floor((c.lat + dr * 20) / 40.0));
      const int col = static_cast<int>(std::floor((c.lon + dc * 20) / 60.0));
      for (const char* ext : {".cst", ".lh"}) {
        names << QStringLiteral("%1%2%3").arg(row).arg(col - 100).arg(QLatin1String(ext));
      }
    }
  }
  names.removeDuplicates();
  for (const QString& name : names) {
    if (!source.exists(name)) {
      continue;
    }
    const QString dest = target.filePath(name);
    QFile::remove(dest);
    if (!QFile::copy(source.filePath(name), dest)) {
      *error = QStringLiteral("cannot copy %1 to %2").arg(source.filePath(name), dest);
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("velaro-racegen"));
  QTextStream err(stderr);
  QTextStream out(stdout);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Simulates a sailing race and writes its race folder."));
  parser.addHelpOption();
  const QCommandLineOption outOpt(QStringLiteral("out"), QStringLiteral("Races folder to write into."),
                                  QStringLiteral("folder"));
  const QCommandLineOption nameOpt(QStringLiteral("name"), QStringLiteral("Race file name without .txt."),
                                   QStringLiteral("name"), QStringLiteral("race"));
  const QCommandLineOption boatsOpt(QStringLiteral("boats"), QStringLiteral("Boats, 1 to 81."),
                                    QStringLiteral("n"), QStringLiteral("12"));
  const QCommandLineOption durationOpt(QStringLiteral("duration"),
                                       QStringLiteral("Minutes from gun to finish."),
                                       QStringLiteral("minutes"), QStringLiteral("40"));
  const QCommandLineOption intervalOpt(
      QStringLiteral("interval"), QStringLiteral("Seconds between logged fixes; 0 = each logger its own."),
      QStringLiteral("seconds"), QStringLiteral("0"));
  const QCommandLineOption rateOpt(
      QStringLiteral("rate"),
      QStringLiteral("Fixes a second for every logger, 1 to 10 (above 1, GPX times carry milliseconds)."),
      QStringLiteral("hz"), QStringLiteral("1"));
  const QCommandLineOption seedOpt(QStringLiteral("seed"), QStringLiteral("Random seed."),
                                   QStringLiteral("n"), QStringLiteral("1"));
  const QCommandLineOption courseOpt(QStringLiteral("course"),
                                     QStringLiteral("wl (windward-leeward) or triangle."),
                                     QStringLiteral("shape"), QStringLiteral("wl"));
  const QCommandLineOption lapsOpt(QStringLiteral("laps"), QStringLiteral("Laps (1 to 3)."),
                                   QStringLiteral("n"), QStringLiteral("2"));
  const QCommandLineOption locationOpt(
      QStringLiteral("location"),
      QStringLiteral("Sailing area: ") + locationKeys().join(QStringLiteral(", ")), QStringLiteral("key"),
      QStringLiteral("enoshima"));
  const QCommandLineOption formatOpt(QStringLiteral("format"),
                                     QStringLiteral("One log format for all: gpx, gdb, mps, trl, dtr, trk."),
                                     QStringLiteral("format"));
  const QCommandLineOption namesOpt(QStringLiteral("names"), QStringLiteral("Boat names: en, ja or mixed."),
                                    QStringLiteral("kind"), QStringLiteral("mixed"));
  const QCommandLineOption northOpt(QStringLiteral("north-up"), QStringLiteral("Show the race north up."));
  const QCommandLineOption dateOpt(QStringLiteral("date"), QStringLiteral("Race date yyyy/MM/dd."),
                                   QStringLiteral("date"), QStringLiteral("2025/05/18"));
  const QCommandLineOption timeOpt(QStringLiteral("time"), QStringLiteral("Local start time HH:mm."),
                                   QStringLiteral("time"), QStringLiteral("11:00"));
  const QCommandLineOption windOpt(
      QStringLiteral("wind"), QStringLiteral("Mean wind direction, degrees true."), QStringLiteral("deg"));
  const QCommandLineOption windSpeedOpt(QStringLiteral("wind-speed"),
                                        QStringLiteral("Mean wind speed, knots."), QStringLiteral("kn"));
  const QCommandLineOption titleOpt(QStringLiteral("title"), QStringLiteral("Title line of the race."),
                                    QStringLiteral("text"));
  const QCommandLineOption coastOpt(
      QStringLiteral("coastline"), QStringLiteral("Folder of coastline sheets to copy the race area's from."),
      QStringLiteral("folder"));
  const QCommandLineOption firstOpt(QStringLiteral("first"),
                                    QStringLiteral("Name this race in racefile.st."));
  const QCommandLineOption noRetireOpt(QStringLiteral("no-retire"), QStringLiteral("No boat retires."));
  const QCommandLineOption summaryOpt(QStringLiteral("summary"),
                                      QStringLiteral("List each boat's passing times, tacks and gybes."));
  const QCommandLineOption traceOpt(
      QStringLiteral("trace"), QStringLiteral("Print boat n's simulated track every 10 s (metres, knots)."),
      QStringLiteral("n"));
  const QCommandLineOption demoOpt(
      QStringLiteral("demo"),
      QStringLiteral("The three demo races (into --out), the first named in racefile.st."));
  const QCommandLineOption bigOpt(
      QStringLiteral("big"),
      QStringLiteral("The benchmark race: 81 boats, 3 hours, 1 s logging (or --rate), GPX."));
  parser.addOptions({outOpt,   nameOpt,      boatsOpt,  durationOpt, intervalOpt, seedOpt,     courseOpt,
                     lapsOpt,  locationOpt,  formatOpt, namesOpt,    northOpt,    dateOpt,     timeOpt,
                     windOpt,  windSpeedOpt, titleOpt,  coastOpt,    firstOpt,    noRetireOpt, summaryOpt,
                     traceOpt, demoOpt,      bigOpt,    rateOpt});
  parser.process(app);

  RaceOptions o;
  bool ok = true;
  auto number = [&](const QCommandLineOption& opt) {
    bool good = false;
    const int v = parser.value(opt).toInt(&good);
    if (!good) {
      err << "velaro-racegen: --" << opt.names().first() << " needs a whole number\n";
      ok = false;
    }
    return v;
  };
  o.stem = parser.value(nameOpt);
  o.boats = number(boatsOpt);
  o.durationMinutes = number(durationOpt);
  o.logInterval = number(intervalOpt);
  o.fixesPerSecond = number(rateOpt);
  o.seed = parser.value(seedOpt).toULongLong(&ok);
  o.laps = number(lapsOpt);
  o.location = parser.value(locationOpt);
  o.northUp = parser.isSet(northOpt);
  o.retirement = !parser.isSet(noRetireOpt);
  o.title = parser.value(titleOpt);
  o.date = QDate::fromString(parser.value(dateOpt), QStringLiteral("yyyy/MM/dd"));
  o.gun = QTime::fromString(parser.value(timeOpt), QStringLiteral("HH:mm"));
  if (parser.isSet(windOpt)) {
    o.windDir = parser.value(windOpt).toDouble(&ok);
  }
  if (parser.isSet(windSpeedOpt)) {
    o.windSpeed = parser.value(windSpeedOpt).toDouble(&ok);
  }
  const QString shape = parser.value(courseOpt);
  if (shape == QLatin1String("triangle")) {
    o.shape = CourseShape::Triangle;
  } else if (shape != QLatin1String("wl")) {
    err << "velaro-racegen: --course is wl or triangle\n";
    ok = false;
  }
  const QString names = parser.value(namesOpt);
  o.names = names == QLatin1String("en")   ? BoatNames::English
            : names == QLatin1String("ja") ? BoatNames::Japanese
                                           : BoatNames::Mixed;
  if (parser.isSet(formatOpt)) {
    o.format = logFormatByName(parser.value(formatOpt));
    if (!o.format) {
      err << "velaro-racegen: unknown --format " << parser.value(formatOpt) << '\n';
      ok = false;
    }
  }
  QString root = parser.value(outOpt);
  if (parser.isSet(bigOpt)) {
    o.boats = 81;
    o.durationMinutes = 180;
    o.logInterval = 1;
    o.format = LogFormat::Gpx;
    o.laps = 3;
    if (!parser.isSet(nameOpt)) {
      o.stem = QStringLiteral("big");
    }
    if (root.isEmpty()) {
      root = QDir::temp().filePath(QStringLiteral("velaro-big"));
    }
  }
  if (!locationByKey(o.location)) {
    err << "velaro-racegen: unknown --location " << o.location << '\n';
    ok = false;
  }
  if (o.boats < 1 || o.boats > 81 || o.durationMinutes < 5 || o.logInterval < 0 || o.laps < 1 || o.laps > 3 ||
      o.fixesPerSecond < 1 || o.fixesPerSecond > 10 || !o.date.isValid() || !o.gun.isValid() ||
      root.isEmpty()) {
    err << "velaro-racegen: check --boats (1-81), --duration, --interval, --rate (1-10), --laps (1-3), "
           "--date, "
           "--time, --out\n";
    ok = false;
  }
  if (!ok) {
    return 2;
  }

  if (parser.isSet(demoOpt)) {
    const std::vector<RaceOptions> demos = demoRaceOptions();
    for (const RaceOptions& demo : demos) {
      const GeneratedRace race = generateRace(demo);
      QString error;
      if (!writeRaceFiles(race, root, &error)) {
        err << "velaro-racegen: " << error << '\n';
        return 1;
      }
      out << "wrote " << demo.stem << ": " << race.files.size() << " files\n";
    }
    QFile st(QDir(root).filePath(QStringLiteral("raceadmin/racefile.st")));
    const QByteArray line = (demos.front().stem + QStringLiteral(".txt\r\n")).toUtf8();
    if (!st.open(QIODevice::WriteOnly | QIODevice::Truncate) || st.write(line) != line.size()) {
      err << "velaro-racegen: " << st.fileName() << ": " << st.errorString() << '\n';
      return 1;
    }
    return 0;
  }

  const GeneratedRace race = generateRace(o);
  QString error;
  if (!writeRaceFiles(race, root, &error) ||
      (parser.isSet(coastOpt) && !copyCoastline(race, parser.value(coastOpt), root, &error))) {
    err << "velaro-racegen: " << error << '\n';
    return 1;
  }
  if (parser.isSet(firstOpt)) {
    QFile st(QDir(root).filePath(QStringLiteral("raceadmin/racefile.st")));
    const QByteArray line = (o.stem + QStringLiteral(".txt\r\n")).toUtf8();
    if (!st.open(QIODevice::WriteOnly | QIODevice::Truncate) || st.write(line) != line.size()) {
      err << "velaro-racegen: " << st.fileName() << ": " << st.errorString() << '\n';
      return 1;
    }
  }
  int finished = 0;
  for (const auto& b : race.sim.boats) {
    finished += b.finished ? 1 : 0;
  }
  if (parser.isSet(summaryOpt)) {
    for (std::size_t i = 0; i < race.sim.boats.size(); ++i) {
      const SimBoat& b = race.sim.boats[i];
      const BoatLog& log = race.logs[i];
      out << i + 1 << ' ' << log.fileName << " every " << log.intervalSeconds << " s, " << log.fixes.size()
          << " fixes, tacks " << b.tacks << ", gybes " << b.gybes << (b.finished ? "" : " not finished")
          << (b.retired ? " retired" : "") << (std::isnan(b.earlyCrossing) ? "" : " over early")
          << "; passed:";
      for (double p : b.passTimes) {
        out << ' ' << qRound(p);
      }
      out << '\n';
      if (!std::isnan(b.gunLineMetres)) {
        out << "  start line " << QString::number(b.gunLineMetres, 'f', 1) << " m at the gun\n";
      }
      for (const SimManoeuvre& m : b.manoeuvres) {
        out << "  " << (m.gybe ? "gybe " : "tack ") << QString::number(m.t, 'f', 1) << " s, lost "
            << (std::isnan(m.metresLost) ? QStringLiteral("-") : QString::number(m.metresLost, 'f', 1))
            << " m" << (m.atRounding ? " (rounding)" : "") << '\n';
      }
    }
  }
  if (parser.isSet(traceOpt)) {
    const int n = parser.value(traceOpt).toInt() - 1;
    if (n >= 0 && n < static_cast<int>(race.sim.boats.size())) {
      for (const TruthFix& f : race.sim.boats[n].track) {
        if (f.t % 10 == 0) {
          out << f.t << ' ' << qRound(f.pos.x) << ' ' << qRound(f.pos.y) << ' ' << qRound(f.heading) << ' '
              << QString::number(f.speed, 'f', 1) << '\n';
        }
      }
    }
  }
  out << "wrote " << race.files.size() << " files to " << root << ": " << o.boats << " boats, " << finished
      << " finished, first finish " << race.passSeconds.back() << " s, last " << race.sim.lastFinish
      << " s\n";
  return 0;
}
