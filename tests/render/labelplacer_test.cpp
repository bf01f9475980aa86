// Labels clear of each other: the placer's rules on made-up boxes, the
// 81-boat benchmark race at its most crowded rounding in both views, and a
// sparse demo scene drawn exactly as its labels' own places draw it.
#include "render/scene/labelplacer.h"

#include "core/datetime.h"
#include "core/loadpipeline.h"
#include "render/scene/renderscene.h"
#include "render/scene/scenelayers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

LabelRequest at(int x, int y, int width, int rank) {
  return {QPointF(x, y), QRect(x + 10, y - 6, width, 14), 6, rank};
}

TEST(LabelPlacer, KeepsFreeBoxesMovesCrowdedOnesAndDropsTheLast) {
  LabelPlacer placer(QRect(0, 0, 400, 300));
  placer.addObstacle(QRect(300, 50, 40, 14));  // a mark's name
  const std::vector<LabelRequest> labels = {
      at(100, 100, 60, 1),  // leads: keeps its place against the one behind
      at(105, 102, 60, 2),  // behind it: moves
      at(30, 100, 20, 9),   // alone, though the mover might have liked its place: stays
      at(285, 55, 40, 0),   // on the mark's name: moves although it leads
      at(200, 250, 40, 3),  // alone near the edge: stays
  };
  const std::vector<LabelPlacement> placed = placer.place(labels);
  for (const size_t i : {0, 2, 4}) {
    EXPECT_TRUE(placed[i].shown && placed[i].box == labels[i].preferred && !placed[i].leader) << i;
  }
  for (const size_t i : {1, 3}) {
    EXPECT_TRUE(placed[i].shown && placed[i].box != labels[i].preferred) << i;
    EXPECT_FALSE(placed[i].box.intersects(QRect(300, 50, 40, 14))) << i;
  }
  for (size_t i = 0; i < placed.size(); ++i) {
    for (size_t j = i + 1; j < placed.size(); ++j) {
      EXPECT_FALSE(placed[i].box.intersects(placed[j].box)) << i << " " << j;
    }
  }

  // Every place beside a boat taken by a dot off its axes: the label stands
  // off above it, held by a leader line.
  LabelPlacer dotted(QRect(0, 0, 200, 120));
  for (const QPoint dot : {QPoint(140, 58), QPoint(55, 58), QPoint(82, 45), QPoint(82, 72), QPoint(140, 42),
                           QPoint(140, 74), QPoint(55, 42), QPoint(55, 74)}) {
    dotted.addObstacle(QRect(dot, QSize(3, 3)));
  }
  const LabelPlacement off = dotted.place({at(100, 60, 40, 0)}).front();
  EXPECT_TRUE(off.shown && off.box.bottom() < 40 && off.leader && off.leader->x1() == 100) << off.box.y();

  // Thirty boats on one spot, more than there are places: the leaders get
  // every free place and the last are dropped.
  LabelPlacer small(QRect(0, 0, 200, 120));
  std::vector<LabelRequest> heap;
  for (int k = 0; k < 30; ++k) {
    heap.push_back(at(100, 60, 60, 29 - k));
  }
  const std::vector<LabelPlacement> piled = small.place(heap);
  EXPECT_TRUE(piled[29].shown && piled[29].box == heap[29].preferred);
  EXPECT_FALSE(piled[0].shown);
  for (size_t k = 1; k < piled.size(); ++k) {
    EXPECT_TRUE(!piled[k - 1].shown || piled[k].shown) << "a leader dropped before boat " << k - 1;
  }
}

// The benchmark race as velaro-racegen --big writes it, shared with the
// load benchmarks' folder and written once.
const LoadedRace& bigRace() {
  static const std::optional<LoadedRace> race = []() -> std::optional<LoadedRace> {
    const QString root = QDir::temp().filePath(QStringLiteral("velaro-bench-big-1hz"));
    const QString stamp = QDir(root).filePath(QStringLiteral("complete"));
    if (!QFileInfo::exists(stamp)) {
      QDir(root).removeRecursively();
      QFile done(stamp);
      if (QProcess::execute(QStringLiteral(VELARO_BINARY_DIR "/tools/racegen/velaro-racegen"),
                            {QStringLiteral("--big"), QStringLiteral("--out"), root}) != 0 ||
          !done.open(QIODevice::WriteOnly)) {
        return std::nullopt;
      }
    }
    return LoadRacePipeline(root + QStringLiteral("/raceadmin/big.txt"), RaceFolders(root), LoadOptions{})
        .loaded;
  }();
  if (!race) {
    ADD_FAILURE() << "velaro-racegen did not write the benchmark race";
    static const LoadedRace none;
    return none;
  }
  return *race;
}

// The moment and mark with the most boats within 100 m.
std::pair<double, GeoPoint> mostCrowdedRounding(const LoadedRace& loaded) {
  SceneOptions o;
  SceneCursor cursor;
  std::pair<double, GeoPoint> best;
  int most = -1;
  for (double t = 0; t < loaded.race.TimeAxisEnd; t += 10) {
    const SceneState s = computeScene(loaded, o, t, cursor);
    for (const GeoPoint& mark : loaded.race.marks) {
      int near = 0;
      for (const BoatScene& b : s.boats) {
        near +=
            b.BoatActive &&
            std::hypot(b.BoatLat - mark.lat, (b.BoatLon - mark.lon) * loaded.geometry.CosCentreLat) * 1852 <
                100;
      }
      if (near > most) {
        most = near;
        best = {t, mark};
      }
    }
  }
  return best;
}

void expectApart(const std::vector<LabelPlacement>& labels, const QString& where, int least) {
  int shown = 0;
  for (size_t i = 0; i < labels.size(); ++i) {
    shown += labels[i].shown;
    for (size_t j = i + 1; j < labels.size() && labels[i].shown; ++j) {
      EXPECT_FALSE(labels[j].shown && labels[i].box.intersects(labels[j].box))
          << qPrintable(where) << ": boats " << i + 1 << " and " << j + 1;
    }
  }
  EXPECT_GE(shown, least) << qPrintable(where);
}

TEST(LabelPlacer, CrowdedRoundingOfTheBenchmarkRaceHasNoTwoLabelsOverOneAnother) {
  const LoadedRace& loaded = bigRace();
  ASSERT_EQ(loaded.race.BoatCount(), 81);
  const auto [t, mark] = mostCrowdedRounding(loaded);
  for (const QSize size : {QSize(1920, 1080), QSize(1366, 768)}) {
    for (const int level : {1, 2, 3}) {
      SceneOptions o;
      o.mapArea = size;
      o.LabelLevel = level;
      o.HoverBoat = 40;
      QImage image(size, QImage::Format_RGB32);
      SceneCursor cursor;
      const SceneState state = RenderScene(image, loaded, o, t, cursor);
      QPainter p(&image);
      p.setFont(canvasFont());
      const SceneContext scene{loaded, o, state};
      const std::vector<LabelPlacement> labels = PlaceBoatLabels(scene, p.fontMetrics());
      const QPoint m = state.projection.toPixel(mark);
      const QRect markName(m.x() + 8, m.y() - 6, p.fontMetrics().horizontalAdvance(QStringLiteral("MK1")),
                           p.fontMetrics().height());
      for (const LabelPlacement& label : labels) {
        EXPECT_FALSE(label.shown && label.box.intersects(markName));
      }
      expectApart(labels,
                  QStringLiteral("live %1x%2 level %3").arg(size.width()).arg(size.height()).arg(level), 30);
    }
    MapViewState view;
    view.enterWholeRace(loaded.geometry);
    view.WholeRaceZoom = 1.5 * 1.5 * 1.5 * 1.5;
    view.WholeRaceCentre = mark;
    SceneOptions o;
    o.mapArea = size;
    QImage image(size, QImage::Format_RGB32);
    SceneCursor cursor;
    const QRect readout(size.width() / 2, size.height() / 2, 200, 17);
    const WholeRaceFrame frame = RenderWholeRace(image, loaded, o, view, t, 0, cursor, {readout});
    expectApart(frame.names, QStringLiteral("whole race %1").arg(size.width()), 30);
    for (const LabelPlacement& label : frame.names) {
      EXPECT_FALSE(label.shown && label.box.intersects(readout));
    }
  }
}

TEST(LabelPlacer, SparseDemoSceneDrawsEveryLabelInItsOwnPlace) {
  const QString root = QStringLiteral(VELARO_SOURCE_DIR "/data/demo");
  const std::optional<LoadedRace> loaded =
      LoadRacePipeline(root + QStringLiteral("/raceadmin/enoshima-autumn.txt"), RaceFolders(root),
                       LoadOptions{})
          .loaded;
  ASSERT_TRUE(loaded);
  SceneOptions o;
  o.mapArea = QSize(1366, 768);
  o.LabelLevel = 2;
  QImage placed(o.mapArea, QImage::Format_RGB32);
  QImage own(o.mapArea, QImage::Format_RGB32);
  SceneCursor c1;
  SceneCursor c2;
  const SceneState state = RenderScene(placed, *loaded, o, 1200.0, c1);
  RenderScene(own, *loaded, o, 1200.0, c2, SceneFill::Sea, LabelPlacing::BesideTheBoat);
  EXPECT_TRUE(placed == own);
  QPainter p(&placed);
  p.setFont(canvasFont());
  const std::vector<LabelPlacement> labels = PlaceBoatLabels({*loaded, o, state}, p.fontMetrics());
  int shown = 0;
  for (size_t i = 0; i < labels.size(); ++i) {
    const QPoint b = state.projection.toPixel(state.boats[i].position());
    shown += labels[i].shown;
    EXPECT_TRUE(
        !state.boats[i].BoatActive ||
        (labels[i].shown && labels[i].box.topLeft() == b + QPoint(roundToInt(state.BoatSize / 2.0) + 7, -6)));
  }
  EXPECT_EQ(shown, 6);
}

}  // namespace
}  // namespace velaro
