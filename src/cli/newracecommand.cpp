#include "cli/commands.h"

#include "core/newrace/newrace.h"

#include <cmath>

namespace velaro::cli {

namespace {

constexpr const char* kNewRaceUsage =
    "usage: velaro-cli new-race LOG... -o RACESFOLDER [--name NAME] [--title TEXT] [--start TIME]\n"
    "       [--finish TIME] [--wind DEG] [--utc-offset H] [--mark LAT,LON]... [--course L1,MK1,...]\n"
    "  TIME local, yyyy/MM/dd HH:mm[:ss] or HH:mm[:ss] on the race's day; DEG true; H local minus UTC;\n"
    "  LAT,LON in decimal degrees, north and east positive, one --mark per mark (MK1, MK2, ...)\n";

// "35.29,139.47": decimal degrees to minutes of arc.
std::optional<GeoPoint> parseMark(const QString& text) {
  const QStringList parts = text.split(u',');
  if (parts.size() != 2) {
    return std::nullopt;
  }
  bool okLat = false;
  bool okLon = false;
  const double lat = parts[0].trimmed().toDouble(&okLat);
  const double lon = parts[1].trimmed().toDouble(&okLon);
  if (!okLat || !okLon || !(std::fabs(lat) <= 90) || !(std::fabs(lon) <= 180)) {
    return std::nullopt;
  }
  return GeoPoint{lat * 60, lon * 60};
}

// Takes the option at args[i] into the request; false after writing why.
bool takeOption(const QStringList& args, int& i, NewRaceRequest& request, QString& folder, QTextStream& err) {
  const QString& a = args[i];
  if (i + 1 >= args.size()) {
    err << "velaro-cli: " << a << " needs a value\n";
    return false;
  }
  const QString value = args[++i];
  bool ok = false;
  if (a == QLatin1String("-o")) {
    folder = value;
  } else if (a == QLatin1String("--name")) {
    request.name = value;
  } else if (a == QLatin1String("--title")) {
    request.title = value;
  } else if (a == QLatin1String("--start") || a == QLatin1String("--finish")) {
    if (!parseLocalTimeText(value)) {
      err << "velaro-cli: " << a << " is a local time, yyyy/MM/dd HH:mm[:ss] or HH:mm[:ss]: \"" << value
          << "\"\n";
      return false;
    }
    (a == QLatin1String("--start") ? request.startText : request.finishText) = value;
  } else if (a == QLatin1String("--wind")) {
    const double deg = value.toDouble(&ok);
    if (!ok || !(deg >= 0 && deg <= 360)) {
      err << "velaro-cli: --wind is the true direction the wind blows from, 0 to 360 degrees\n";
      return false;
    }
    request.windDirTrue = std::fmod(deg, 360.0);
  } else if (a == QLatin1String("--utc-offset")) {
    const int hours = value.toInt(&ok);
    if (!ok || hours < -12 || hours > 14) {
      err << "velaro-cli: --utc-offset is local time minus UTC in whole hours, -12 to 14\n";
      return false;
    }
    request.utcOffsetHours = hours;
  } else if (a == QLatin1String("--mark")) {
    const std::optional<GeoPoint> mark = parseMark(value);
    if (!mark) {
      err << "velaro-cli: --mark is LAT,LON in decimal degrees\n";
      return false;
    }
    request.marks.push_back(*mark);
  } else if (a == QLatin1String("--course")) {
    request.course = value.split(u',', Qt::SkipEmptyParts);
    for (QString& item : request.course) {
      item = item.trimmed().toUpper();
    }
  } else {
    err << "velaro-cli: unknown option " << a << '\n';
    return false;
  }
  return true;
}

}  // namespace

int runNewRace(const QStringList& args, QTextStream& out, QTextStream& err) {
  NewRaceRequest request;
  QString folder;
  for (int i = 0; i < args.size(); ++i) {
    if (!args[i].startsWith(u'-')) {
      request.logPaths << args[i];
    } else if (!takeOption(args, i, request, folder, err)) {
      err << kNewRaceUsage;
      return 2;
    }
  }
  if (request.logPaths.isEmpty() || folder.isEmpty()) {
    err << kNewRaceUsage;
    return 2;
  }
  const NewRaceResult made = createNewRace(request, folder, systemNewRaceServices());
  if (made.error) {
    err << "velaro-cli: " << made.error->toString() << '\n';
    return 1;
  }
  for (const QString& line : made.estimates) {
    out << "estimate: " << line << '\n';
  }
  for (const QString& line : made.notes) {
    out << "note: " << line << '\n';
  }
  out << made.raceFilePath << '\n';
  return 0;
}

}  // namespace velaro::cli
