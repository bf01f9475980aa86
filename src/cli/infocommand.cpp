#include "cli/commands.h"
#include "cli/raceargs.h"

#include "core/datetime.h"
#include "core/loadpipeline.h"
#include "core/readers/racefilereader.h"

#include <algorithm>

namespace velaro::cli {

namespace {

QString minutesText(double minutes) {
  return QString::number(minutes, 'f', 4);
}

QString pointText(const GeoPoint& p) {
  return minutesText(p.lat) + u',' + minutesText(p.lon);
}

QString passText(double passTime) {
  return isPassed(passTime) ? QString::number(passTime, 'f', 0) + u's' : QStringLiteral("-");
}

QString sailText(PointOfSail sail) {
  switch (sail) {
    case PointOfSail::Upwind:
      return QStringLiteral("upwind");
    case PointOfSail::Downwind:
      return QStringLiteral("downwind");
    case PointOfSail::Reach:
      return QStringLiteral("reach");
  }
  return {};
}

void printIgnored(const std::vector<IgnoredRecord>& ignored, QTextStream& out) {
  out << "ignored records: " << ignored.size() << '\n';
  for (const IgnoredRecord& record : ignored) {
    out << "  " << describeIgnored(record) << '\n';
  }
}

// The boats the load left out beyond the records ignored on reading: logs
// found unreadable when the tracks were read.
void printUnreadable(const std::vector<IgnoredRecord>& read, const std::vector<IgnoredRecord>& loaded,
                     QTextStream& out) {
  for (const IgnoredRecord& record : loaded) {
    if (std::find(read.begin(), read.end(), record) == read.end()) {
      out << "  ignored on loading: " << describeIgnored(record) << '\n';
    }
  }
}

// What the analysis found: boats kept, passing times, ranks, legs.
void printAnalysis(const LoadedRace& loaded, QTextStream& out) {
  const Race& race = loaded.race;
  const CourseResults& r = loaded.results;
  const GeoBox& e = loaded.geometry.RaceExtent;
  out << "analysis:\n";
  out << "  boats kept: " << race.BoatCount() << " (dropped " << race.DroppedBoats << ")\n";
  out << "  extent: " << minutesText(e.MinLat) << ".." << minutesText(e.MaxLat) << " N, "
      << minutesText(e.MinLon) << ".." << minutesText(e.MaxLon) << " E\n";
  out << "  wind samples: " << race.WindCount() << ", coastline points: " << race.coastline.pointCount()
      << ", lights: " << race.lights.size() << ", sheets: " << race.MapName.join(u' ') << '\n';
  out << "  top speed below spikes: " << QString::number(loaded.MaxTrackSpeed, 'f', 2) << " kn\n";
  for (int leg = 0; leg + 1 < r.itemCount; ++leg) {
    out << "  leg " << (leg + 1) << " " << race.Course[leg] << "-" << race.Course[leg + 1] << ": bearing "
        << QString::number(r.LegBearing[leg], 'f', 0) << " deg, " << QString::number(r.LegLength[leg], 'f', 0)
        << " m, " << sailText(r.LegSail[leg]) << '\n';
  }
  for (int b = 0; b < race.BoatCount(); ++b) {
    const Boat& boat = race.boats[b];
    out << "  boat " << (b + 1) << " " << boat.BoatName << ": " << boat.FixCount() << " fixes every "
        << boat.LogInterval << " s";
    if (r.itemCount > 0) {
      out << ", rank " << r.FinishRank[b] << ", passed";
      for (int k = 0; k < r.itemCount; ++k) {
        out << ' ' << race.Course[k] << '=' << passText(r.PassTime[b][k]);
      }
      out << ", sailed";
      for (int k = 0; k < r.itemCount; ++k) {
        out << ' ' << QString::number(r.LegSailedDistance[b][k], 'f', 0);
      }
      out << " m";
    }
    out << '\n';
  }
}

}  // namespace

int runInfo(const QStringList& args, QTextStream& out, QTextStream& err) {
  if (args.size() != 1) {
    err << "usage: velaro-cli info RACEFILE\n";
    return 2;
  }
  const RaceLocation where = locateRace(args.first());
  RaceFileResult read = ReadRaceFile(where.path, where.folders);
  if (read.missing) {
    err << "velaro-cli: " << where.path << ": no such race file\n";
    return 1;
  }
  if (read.error) {
    err << "velaro-cli: " << read.error->toString() << '\n';
    return 1;
  }
  const Race& race = read.race;
  out << "race file: " << where.path << '\n';
  out << "races folder: " << where.folders.root() << '\n';
  out << "caption: " << race.RaceCaption << '\n';
  out << "subcaption: " << race.RaceSubcaption << '\n';
  out << "title 1: " << race.RaceTitle1 << '\n';
  out << "title 2: " << race.RaceTitle2 << '\n';
  out << "note: " << race.RaceNote << '\n';
  out << "flag: " << race.RaceFlag << '\n';
  out << "start: " << formatDateTime(race.RaceStart) << " local, " << formatDateTime(race.RaceStartUtc)
      << " UTC\n";
  out << "finish: " << formatDateTime(race.RaceFinish) << " local, " << formatDateTime(race.RaceFinishUtc)
      << " UTC\n";
  out << "time difference: " << race.TimeDifference << " h\n";
  out << "pre-start: " << race.PreStartSeconds << " s\n";
  out << "time axis: " << race.TimeAxisStart << " .. " << race.TimeAxisEnd << " s\n";
  out << "magnetic variation: " << race.MagVariation << " deg\n";
  out << "wind direction: " << race.WindDirection << " deg, wind axis " << race.WindAxis << " deg\n";
  out << "wind file: " << race.WindFileName << '\n';
  out << "laylines: " << race.LaylineAngleA << ", " << race.LaylineAngleB << " deg\n";
  out << "boat length: " << race.BoatLength << " m\n";
  out << "orientation: " << (race.NorthUp > 0 ? "north up" : "wind up") << '\n';
  out << "play speed: " << race.PlaySpeed << "X\n";

  out << "boats: " << race.BoatCount() << " (list rows " << race.BoatRows << ")\n";
  for (int i = 0; i < race.BoatCount(); ++i) {
    const Boat& b = race.boats[i];
    out << "  " << (i + 1) << "  " << b.BoatName << "  file " << b.BoatFile << "  offset " << b.BoatTimeOffset
        << " s  " << (b.BoatFocused ? "focused" : "out of focus") << '\n';
  }
  out << "course: " << race.Course.join(u' ') << '\n';
  out << "marks: " << race.MarkCount() << '\n';
  for (int i = 0; i < race.MarkCount(); ++i) {
    out << "  MK" << (i + 1) << "  " << pointText(race.marks[i]) << '\n';
  }
  out << "lines: " << race.LineCount() << '\n';
  for (int i = 0; i < race.LineCount(); ++i) {
    out << "  L" << (i + 1) << "  " << pointText(race.lines[i].end1) << "  " << pointText(race.lines[i].end2)
        << '\n';
  }
  out << "reference lines: " << race.RefLineCount() << '\n';
  for (int i = 0; i < race.RefLineCount(); ++i) {
    out << "  RL" << (i + 1) << "  " << pointText(race.refLines[i].end1) << "  "
        << pointText(race.refLines[i].end2) << '\n';
  }
  out << "attachments: " << race.Attachment.join(u' ') << '\n';
  printIgnored(race.ignored, out);

  // Then the whole load, as the window does it, but for the tacks and gybes,
  // which info does not print.
  LoadOptions options;
  options.findManoeuvres = false;
  const LoadResult load = LoadRacePipeline(where.path, where.folders, options);
  if (load.failure == LoadFailure::ReadError && load.error) {
    err << "velaro-cli: " << load.error->toString() << '\n';
    return 1;
  }
  if (!load.loaded) {
    printUnreadable(race.ignored, load.ignored, out);
    err << "velaro-cli: " << where.path << ": no boat has a usable GPS log\n";
    return 1;
  }
  printAnalysis(*load.loaded, out);
  printUnreadable(race.ignored, load.ignored, out);
  return 0;
}

}  // namespace velaro::cli
