// Video export of the 12-boat demo race at 1280 x 720, 30 frames a second,
// played at 30X: drawing, colour conversion and H.264 encoding together.
// "realtime" is how many times faster than it plays the video is written
// (wall clock; the encoder's threads count).
#include "core/loadpipeline.h"
#include "render/scene/replayframes.h"
#include "video/replayvideo.h"

#include <QDir>
#include <QTemporaryDir>

#include "benchapp.h"

#include <benchmark/benchmark.h>

namespace velaro {
namespace {

const QString kDemo = QStringLiteral(VELARO_SOURCE_DIR "/data/demo");

// Ten seconds of video from a minute before the start, where every boat is
// in one tight picture, and from the middle of the race.
void BM_VideoDemoRace(benchmark::State& state) {
  ensureGuiApplication();
  const LoadResult load = LoadRacePipeline(kDemo + QStringLiteral("/raceadmin/enoshima-spring.txt"),
                                           RaceFolders(kDemo), LoadOptions{});
  QTemporaryDir dir;
  if (!load.loaded || !dir.isValid()) {
    state.SkipWithError("no demo race");
    return;
  }
  ExportView view;
  view.size = QSize(1280, 720);
  ReplayTake take;
  take.from = static_cast<double>(state.range(0));
  take.to = take.from + 300;
  int frames = 0;
  for (auto _ : state) {
    ReplayFrames replay(*load.loaded, exportSceneOptions(*load.loaded, view), take);
    const VideoOutcome outcome = writeReplayVideo(dir.filePath(QStringLiteral("bench.mp4")), replay);
    if (!outcome.written) {
      state.SkipWithError(outcome.error.toStdString().c_str());
      return;
    }
    frames += outcome.frames;
  }
  state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
  state.counters["realtime"] = benchmark::Counter(double(frames) / take.fps, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VideoDemoRace)
    ->Arg(-60)
    ->Arg(1200)
    ->ArgName("from")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace velaro
