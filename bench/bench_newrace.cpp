// A race made from the 81 GPS logs of the benchmark race (the 1 Hz race that
// BM_LoadBigRace loads): the logs read, the race inferred, every file made;
// BM_NewRaceBigRaceWritten also writes them into an empty races folder. The
// shoreline is left out (it would time the installed GMT, not this program).
//
//   velaro_bench --benchmark_filter='BM_LoadBigRace/|BM_NewRace'
#include "core/newrace/newrace.h"
#include "core/racefolders.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace velaro {
namespace {

// The folder BM_LoadBigRace uses, written by velaro-racegen when missing;
// the stamp is written last, so a generation cut short is redone.
QString bigRaceLogs() {
  const QString root = QDir::temp().filePath(QStringLiteral("velaro-bench-big-1hz"));
  const QString stamp = QDir(root).filePath(QStringLiteral("complete"));
  if (!QFileInfo::exists(stamp)) {
    std::fprintf(stderr, "writing the 1 Hz benchmark race to %s\n", qPrintable(root));
    QDir(root).removeRecursively();
    const int exitCode = QProcess::execute(QStringLiteral(VELARO_RACEGEN),
                                           {QStringLiteral("--big"), QStringLiteral("--rate"),
                                            QStringLiteral("1"), QStringLiteral("--out"), root});
    QFile done(stamp);
    if (exitCode != 0 || !done.open(QIODevice::WriteOnly)) {
      return {};
    }
  }
  return RaceFolders(root).folder(QString::fromLatin1(kGpsFolder));
}

NewRaceRequest bigRaceRequest() {
  NewRaceRequest request;
  const QString folder = bigRaceLogs();
  if (folder.isEmpty()) {
    return request;
  }
  for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
    request.logPaths << QDir(folder).filePath(name);
  }
  return request;
}

NewRaceServices noShoreServices() {
  NewRaceServices services;
  services.shoreline = [](double, double, double, double) { return std::vector<std::vector<GeoPoint>>{}; };
  services.localOffsetHours = [](double) { return 9; };
  return services;
}

void BM_NewRaceBigRace(benchmark::State& state) {
  const NewRaceRequest request = bigRaceRequest();
  const QTemporaryDir empty;
  if (request.logPaths.isEmpty() || !empty.isValid()) {
    state.SkipWithError("no benchmark race");
    return;
  }
  const NewRaceServices services = noShoreServices();
  qsizetype bytes = 0;
  for (auto _ : state) {
    const NewRaceFiles files = makeNewRaceFiles(request, empty.path(), services);
    if (files.error) {
      state.SkipWithError(qPrintable(files.error->toString()));
      return;
    }
    bytes = 0;
    for (const auto& [name, data] : files.files) {
      bytes += data.size();
    }
  }
  state.counters["logs"] = static_cast<double>(request.logPaths.size());
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_NewRaceBigRace)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NewRaceBigRaceWritten(benchmark::State& state) {
  const NewRaceRequest request = bigRaceRequest();
  const QTemporaryDir scratch;
  if (request.logPaths.isEmpty() || !scratch.isValid()) {
    state.SkipWithError("no benchmark race");
    return;
  }
  const NewRaceServices services = noShoreServices();
  const QString races = scratch.filePath(QStringLiteral("races"));
  for (auto _ : state) {
    const NewRaceResult made = createNewRace(request, races, services);
    if (made.error) {
      state.SkipWithError(qPrintable(made.error->toString()));
      return;
    }
    state.PauseTiming();
    QDir(races).removeRecursively();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_NewRaceBigRaceWritten)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velaro
