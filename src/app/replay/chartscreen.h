#pragma once

#include "app/replay/page.h"
#include "core/analysis/gaps.h"
#include "core/analysis/polars.h"
#include "core/loadedrace.h"

#include <QImage>
#include <QSize>

#include <optional>
#include <vector>

namespace velaro {

class MapView;

// The Gaps and Polars pages on the map: the gap chart or the polars of the
// boats in focus for the map's size. A race's gaps and polars are worked out
// the first time their chart is drawn, so a load never waits for them.
class ChartScreen {
 public:
  void setMap(MapView* map) { m_map = map; }
  // A newly loaded race (it must outlive the next call); its gaps and polars
  // are still to be worked out.
  void setRace(const LoadedRace* loaded);

  // Draws the chart of page (Gaps or Polars) afresh; nothing is shown.
  // focused holds 1 for each boat in focus, boat n at n - 1.
  void draw(Page page, QSize mapArea, const std::vector<int>& focused);
  // Puts the chart on the map.
  void show();

  const QImage& picture() const { return m_picture; }
  // Whether the race's gaps and polars have been worked out.
  bool hasGaps() const { return m_gaps.has_value(); }
  bool hasPolars() const { return m_polars.has_value(); }

 private:
  MapView* m_map = nullptr;
  const LoadedRace* m_loaded = nullptr;
  std::optional<std::vector<GapStep>> m_gaps;
  std::optional<std::vector<BoatPolar>> m_polars;
  QImage m_picture;
};

}  // namespace velaro
