#include "cli/viewargs.h"

#include "core/scene/mapviewstate.h"

#include <QRegularExpression>

#include <cmath>

namespace velaro::cli {

namespace {

constexpr int kMinSide = 50;
constexpr int kMaxSide = 10000;

// "35.29,139.47": decimal degrees to minutes of arc.
std::optional<GeoPoint> parseCentre(const QString& text) {
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() != 2) {
    return std::nullopt;
  }
  bool okLat = false;
  bool okLon = false;
  const double lat = parts[0].trimmed().toDouble(&okLat);
  const double lon = parts[1].trimmed().toDouble(&okLon);
  if (!okLat || !okLon || std::fabs(lat) > 90 || std::fabs(lon) > 180) {
    return std::nullopt;
  }
  return GeoPoint{lat * 60, lon * 60};
}

}  // namespace

ViewArg takeViewArg(const QStringList& args, int& i, ExportView& view, QTextStream& err) {
  const QString& a = args[i];
  const bool hasValue = i + 1 < args.size();
  if (a == QLatin1String("--north-up")) {
    view.northUp = true;
    return ViewArg::Taken;
  }
  if (a == QLatin1String("--whole-race")) {
    view.wholeRace = true;
    return ViewArg::Taken;
  }
  if (a == QLatin1String("--speed-colours")) {
    view.speedColours = true;
    return ViewArg::Taken;
  }
  if (!hasValue) {
    return ViewArg::NotMine;
  }
  if (a == QLatin1String("--size")) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(args[++i]);
    const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
    const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
    if (w < kMinSide || h < kMinSide || w > kMaxSide || h > kMaxSide) {
      err << "velaro-cli: --size is WIDTHxHEIGHT, " << kMinSide << " to " << kMaxSide << " pixels each\n";
      return ViewArg::Bad;
    }
    view.size = QSize(w, h);
    return ViewArg::Taken;
  }
  if (a == QLatin1String("--label-level")) {
    bool ok = false;
    view.labelLevel = args[++i].toInt(&ok);
    if (!ok || view.labelLevel < 0 || view.labelLevel > 3) {
      err << "velaro-cli: --label-level is 0 to 3\n";
      return ViewArg::Bad;
    }
    return ViewArg::Taken;
  }
  if (a == QLatin1String("--zoom")) {
    bool ok = false;
    view.zoom = args[++i].toDouble(&ok);
    if (!ok || !(view.zoom >= kMinWholeRaceZoom && view.zoom <= kMaxWholeRaceZoom)) {
      err << "velaro-cli: --zoom needs a number\n";
      return ViewArg::Bad;
    }
    return ViewArg::Taken;
  }
  if (a == QLatin1String("--centre")) {
    view.centre = parseCentre(args[++i]);
    if (!view.centre) {
      err << "velaro-cli: --centre is LAT,LON in decimal degrees\n";
      return ViewArg::Bad;
    }
    return ViewArg::Taken;
  }
  return ViewArg::NotMine;
}

bool viewIsConsistent(const ExportView& view, QTextStream& err) {
  if (view.wholeRace) {
    return true;
  }
  if (view.centre) {
    err << "velaro-cli: --centre goes with --whole-race\n";
    return false;
  }
  if (view.speedColours) {
    err << "velaro-cli: --speed-colours goes with --whole-race\n";
    return false;
  }
  if (view.zoom != std::trunc(view.zoom) || view.zoom < 1 || view.zoom > 10) {
    err << "velaro-cli: --zoom is 1 to 10 in the live scene\n";
    return false;
  }
  return true;
}

}  // namespace velaro::cli
