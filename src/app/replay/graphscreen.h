#pragma once

#include "core/analysis/boatcolours.h"
#include "core/loadedrace.h"

#include <QImage>
#include <QSize>

#include <vector>

namespace velaro {

class MapView;

// The graph page on the map: the picture of the race's courses, wind and
// speeds for the map's size and the boats in focus, kept until the next
// drawing, and one boat's curves laid over a copy of it while the pointer is
// on that boat in the boat list.
class GraphScreen {
 public:
  void setMap(MapView* map) { m_map = map; }
  // A newly loaded race (it must outlive the next call).
  void setRace(const LoadedRace* loaded) { m_loaded = loaded; }

  // Draws the picture afresh; nothing is shown.
  void draw(QSize mapArea, const std::vector<int>& focused, Rgb sea);
  // Puts the picture on the map, which also removes a highlight.
  void show();
  // Shows boat n's (0-based) curves over the picture; -1 shows the picture
  // alone.
  void highlight(int boat);

  const QImage& GraphBitmap() const { return m_bitmap; }

 private:
  MapView* m_map = nullptr;
  const LoadedRace* m_loaded = nullptr;
  QImage m_bitmap;
};

}  // namespace velaro
