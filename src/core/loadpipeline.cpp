#include "core/loadpipeline.h"

#include "core/analysis/kinematics.h"
#include "core/readers/alltracks.h"
#include "core/readers/coastlinereader.h"
#include "core/readers/racefilereader.h"
#include "core/readers/windreader.h"

#include <QFileInfo>

namespace velaro {

namespace {

LoadResult failed(LoadFailure failure, std::optional<ReadError> error = std::nullopt) {
  LoadResult result;
  result.failure = failure;
  result.error = std::move(error);
  return result;
}

void call(const std::function<void()>& f) {
  if (f) {
    f();
  }
}

}  // namespace

LoadResult LoadRacePipeline(const QString& raceFilePath, const RaceFolders& folders,
                            const LoadOptions& options, const LoadCallbacks& callbacks) {
  RaceFileOptions raceOptions;
  raceOptions.previous = options.previous;
  raceOptions.coverShown = options.coverShown;
  RaceFileResult read = ReadRaceFile(raceFilePath, folders, raceOptions);
  if (read.error) {
    return failed(LoadFailure::ReadError, read.error);
  }
  if (read.missing || read.race.BoatCount() < 1) {
    LoadResult result = failed(LoadFailure::NoBoats);
    result.ignored = std::move(read.race.ignored);
    return result;
  }
  if (auto conflict = checkRaceForReplay(read, QFileInfo(raceFilePath).fileName())) {
    return failed(LoadFailure::ReadError, std::move(conflict));
  }
  LoadedRace loaded;
  Race& race = loaded.race;
  race = std::move(read.race);
  if (callbacks.raceFileRead) {
    callbacks.raceFileRead(race);
  }
  call(callbacks.yield);

  const WindReadResult wind = ReadWindFile(folders, race.WindFileName, race.RaceStart);
  if (wind.error) {
    return failed(LoadFailure::ReadError, wind.error);
  }
  race.wind = wind.samples;
  if (!wind.fileFound) {
    race.WindFileName.clear();
  }

  loaded.colours = AssignColours(race.BoatCount());

  TrackLoadCallbacks trackCallbacks;
  trackCallbacks.progress = callbacks.progress;
  trackCallbacks.yield = callbacks.yield;
  trackCallbacks.beep = callbacks.beep;
  const TrackLoadResult tracks = ReadAllTracks(race, folders, trackCallbacks);
  if (tracks.error) {
    return failed(LoadFailure::ReadError, tracks.error);
  }
  // Every log too short: there is nothing to replay.
  if (race.BoatCount() < 1) {
    LoadResult result = failed(LoadFailure::NoBoats);
    result.ignored = std::move(race.ignored);
    return result;
  }
  loaded.resetZoom = tracks.resetZoom;

  loaded.geometry = SetsMap(race, options.mapArea);
  const MapGeometry& g = loaded.geometry;
  call(callbacks.beep);

  CoastlineExtent extent;
  extent.MaxLat = g.RaceExtent.MaxLat;
  extent.MinLat = g.RaceExtent.MinLat;
  extent.MaxLon = g.RaceExtent.MaxLon;
  extent.MinLon = g.RaceExtent.MinLon;
  extent.CentreLat = g.CentreLat;
  extent.CentreLon = g.CentreLon;
  CoastlineResult coast = ReadCoastline(folders, extent);
  if (coast.error) {
    return failed(LoadFailure::ReadError, coast.error);
  }
  race.MapName = coast.MapName;
  race.coastline = std::move(coast.coastline);
  race.lights = std::move(coast.lights);
  call(callbacks.yield);

  loaded.MaxTrackSpeed = ComputeKinematics(race, g.CosCentreLat);
  call(callbacks.beep);

  loaded.results = FindRoundings(race);
  if (race.CourseCount() > 1) {
    TrimTracks(race, loaded.results);
  }
  loaded.resultLabels = BuildResultLabels(race, loaded.results);
  loaded.outline = boatOutlineFor(race.BoatLength);
  ComputeSailedDistances(race, loaded.results, g.CosCentreLat);
  ComputeLegs(race, loaded.results, g.CosCentreLat);
  if (options.findManoeuvres) {
    loaded.manoeuvres = FindManoeuvres(race, loaded.results, g.CosCentreLat);
    loaded.manoeuvreTally = TallyManoeuvres(loaded.manoeuvres, race.BoatCount());
  }

  loaded.windGraphOn = !race.WindFileName.isEmpty();
  if (loaded.windGraphOn) {
    loaded.windGraph = BuildWindGraph(race.wind, race.TimeAxisStart, race.TimeAxisEnd);
  }

  LoadResult result;
  result.ignored = race.ignored;
  result.loaded = std::move(loaded);
  return result;
}

}  // namespace velaro
