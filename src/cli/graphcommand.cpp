#include "cli/commands.h"
#include "cli/exportoutput.h"

#include "core/reports/graphpage.h"
#include "core/scene/scenestate.h"
#include "render/graphpageimage.h"

namespace velaro::cli {

namespace {

void graphUsage(QTextStream& err) {
  err << "usage: velaro-cli graph RACEFILE [--size WxH] -o FILE.png\n"
         "  the graph page: course, wind and speed of the boats the race file focuses;\n"
         "  a FILE ending in .bmp is written as BMP\n";
}

constexpr double kDaylight = 100;

}  // namespace

// The graph page as the window shows it on a map area of the given size, on
// the daylight sea.
int runGraph(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString raceFile;
  QString outFile;
  QSize size(1024, 768);
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == QLatin1String("--size") && hasValue) {
      const std::optional<QSize> parsed = parsePictureSize(args[++i]);
      if (!parsed) {
        err << "velaro-cli: --size is WIDTHxHEIGHT, " << kMinPictureSide << " to " << kMaxPictureSide
            << " pixels each\n";
        return 2;
      }
      size = *parsed;
    } else if (a == QLatin1String("-o") && hasValue) {
      outFile = args[++i];
    } else if (!a.startsWith(QLatin1Char('-')) && raceFile.isEmpty()) {
      raceFile = a;
    } else {
      graphUsage(err);
      return 2;
    }
  }
  if (raceFile.isEmpty() || outFile.isEmpty()) {
    graphUsage(err);
    return 2;
  }
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err, Manoeuvres::Find);
  if (!loaded) {
    return 1;
  }
  QImage GraphBitmap(size, QImage::Format_RGB32);
  GraphPageOptions options;
  options.SeaColour = seaShadeFor(kDaylight).SeaColour;
  DrawGraphPage(GraphBitmap, *loaded, options);
  if (const int rc = deliverPicture(GraphBitmap, outFile, err); rc != 0) {
    return rc;
  }
  int focused = 0;
  for (const Boat& boat : loaded->race.boats) {
    focused += boat.BoatFocused > 0 ? 1 : 0;
  }
  out << outFile << ": " << size.width() << 'x' << size.height() << ", " << focused << " of "
      << loaded->race.BoatCount() << " boats, " << loaded->race.WindCount() << " wind samples, speed scale "
      << SpeedFullScale(loaded->MaxTrackSpeed) << " kn\n";
  return 0;
}

}  // namespace velaro::cli
