// The whole load of the 81-boat, 3-hour benchmark race from its files, as the
// window and velaro-cli run it: race file, wind log, every GPS log, coastline
// and the analysis. The race is written once by velaro-racegen into the
// temporary folder and reused by later runs; it never goes into the sources.
//
//   velaro_bench --benchmark_filter=BM_LoadBigRace/       (1 fix a second, ~100 MB GPX)
//   velaro_bench --benchmark_filter=BM_LoadBigRace10Hz   (10 fixes a second, ~1 GB GPX)
//
// peakRssMB is the process's peak resident memory from the start of the
// benchmark (the peak is reset first where Linux allows it); run one load
// benchmark alone for a figure that holds nothing else. cpuMsPerLoad is the
// processor time of all threads per load: on a busy machine the wall time
// says little, and this with the core count bounds what a quiet one takes.
#include "core/loadpipeline.h"
#include "core/racefolders.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace velaro {
namespace {

// Folder of the race at rate fixes a second, written when missing. The
// stamp is written last, so a generation cut short is redone.
QString bigRaceRoot(int rate) {
  const QString root = QDir::temp().filePath(QStringLiteral("velaro-bench-big-%1hz").arg(rate));
  const QString stamp = QDir(root).filePath(QStringLiteral("complete"));
  if (QFileInfo::exists(stamp)) {
    return root;
  }
  std::fprintf(stderr, "writing the %d Hz benchmark race to %s\n", rate, qPrintable(root));
  QDir(root).removeRecursively();
  const int exitCode = QProcess::execute(QStringLiteral(VELARO_RACEGEN),
                                         {QStringLiteral("--big"), QStringLiteral("--rate"),
                                          QString::number(rate), QStringLiteral("--out"), root});
  QFile done(stamp);
  if (exitCode != 0 || !done.open(QIODevice::WriteOnly)) {
    return {};
  }
  return root;
}

// The peak counts from here on (Linux resets it to the present size).
void resetPeakRss() {
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

double processCpuMilliseconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double peakRssMegabytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) {
    return 0;
  }
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) {
      return line.mid(6).trimmed().split(' ').front().toDouble() / 1024;
    }
  }
  return 0;
}

void loadBigRace(benchmark::State& state, int rate) {
  const QString root = bigRaceRoot(rate);
  if (root.isEmpty()) {
    state.SkipWithError("velaro-racegen could not write the race");
    return;
  }
  const RaceFolders folders(root);
  const QString raceFile = folders.folder(QString::fromLatin1(kRaceAdminFolder)) + QStringLiteral("/big.txt");
  resetPeakRss();
  // One load before timing brings the logs into the page cache.
  if (!LoadRacePipeline(raceFile, folders, LoadOptions{}).loaded) {
    state.SkipWithError("the race did not load");
    return;
  }
  int boats = 0;
  qsizetype fixes = 0;
  const double cpuBefore = processCpuMilliseconds();
  for (auto _ : state) {
    const LoadResult load = LoadRacePipeline(raceFile, folders, LoadOptions{});
    if (!load.loaded) {
      state.SkipWithError("the race did not load");
      return;
    }
    boats = load.loaded->race.BoatCount();
    fixes = 0;
    for (const Boat& boat : load.loaded->race.boats) {
      fixes += boat.FixCount();
    }
  }
  state.counters["boats"] = boats;
  state.counters["fixes"] = static_cast<double>(fixes);
  state.counters["peakRssMB"] = peakRssMegabytes();
  state.counters["cpuMsPerLoad"] =
      (processCpuMilliseconds() - cpuBefore) /
      static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
}

void BM_LoadBigRace(benchmark::State& state) {
  loadBigRace(state, 1);
}
BENCHMARK(BM_LoadBigRace)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadBigRace10Hz(benchmark::State& state) {
  loadBigRace(state, 10);
}
BENCHMARK(BM_LoadBigRace10Hz)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velaro
