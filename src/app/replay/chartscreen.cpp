#include "app/replay/chartscreen.h"

#include "app/panels/mapview.h"
#include "render/gapchart.h"
#include "render/polarchart.h"

#include <algorithm>

namespace velaro {

void ChartScreen::setRace(const LoadedRace* loaded) {
  m_loaded = loaded;
  m_gaps.reset();
  m_polars.reset();
}

void ChartScreen::draw(Page page, QSize mapArea, const std::vector<int>& focused) {
  if (!m_loaded || (page != Page::Gaps && page != Page::Polars)) {
    return;
  }
  const QSize size(std::max(1, mapArea.width()), std::max(1, mapArea.height()));
  std::vector<int> boats;
  for (size_t b = 0; b < focused.size(); ++b) {
    if (focused[b] != 0) {
      boats.push_back(static_cast<int>(b) + 1);
    }
  }
  const LoadedRace& loaded = *m_loaded;
  const double cosCentreLat = loaded.geometry.CosCentreLat;
  if (page == Page::Gaps) {
    if (!m_gaps) {
      m_gaps = ComputeGaps(loaded.race, loaded.results, cosCentreLat);
    }
    m_picture = DrawGapChart(GapChartOf(loaded, *m_gaps, boats), size);
    return;
  }
  if (!m_polars) {
    m_polars = ComputePolars(loaded.race, loaded.results, loaded.manoeuvres, cosCentreLat);
  }
  m_picture = DrawPolarChart(PolarChartOf(loaded, *m_polars, boats), size);
}

void ChartScreen::show() {
  if (m_map && !m_picture.isNull()) {
    m_map->setImage(m_picture);
  }
}

}  // namespace velaro
