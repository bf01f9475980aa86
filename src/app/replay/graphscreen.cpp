#include "app/replay/graphscreen.h"

#include "app/panels/mapview.h"
#include "render/graphpageimage.h"

#include <algorithm>

namespace velaro {

void GraphScreen::draw(QSize mapArea, const std::vector<int>& focused, Rgb sea) {
  if (!m_loaded) {
    return;
  }
  const QSize size(std::max(1, mapArea.width()), std::max(1, mapArea.height()));
  if (m_bitmap.size() != size) {
    m_bitmap = QImage(size, QImage::Format_RGB32);
  }
  GraphPageOptions options;
  options.SeaColour = sea;
  options.BoatFocused = focused;
  DrawGraphPage(m_bitmap, *m_loaded, options);
}

void GraphScreen::show() {
  if (m_map && !m_bitmap.isNull()) {
    m_map->setImage(m_bitmap);
  }
}

void GraphScreen::highlight(int boat) {
  if (!m_map || !m_loaded || m_bitmap.isNull()) {
    return;
  }
  m_map->setImage(boat >= 0 ? DrawGraphHighlight(m_bitmap, *m_loaded, boat + 1) : m_bitmap);
}

}  // namespace velaro
