#pragma once

#include "core/loadedrace.h"

#include <QLine>
#include <QPointF>
#include <QRect>

#include <optional>
#include <vector>

namespace velaro {

// One label to place: the point it names (a boat's centre on the picture),
// the box it takes where nothing is in the way, and how far around the point
// other places keep clear so that they do not cover the boat itself.
struct LabelRequest {
  QPointF anchor;
  QRect preferred;
  int clearancePx = 0;
  int rank = 0;  // lower ranks are placed first and dropped last
};

struct LabelPlacement {
  bool shown = false;
  QRect box;
  // From the rim of the cleared circle to the box, when the box stands off.
  std::optional<QLine> leader;
};

// Places labels so that no two boxes overlap and none covers an obstacle
// (other boats' hulls, marks' names). A label whose preferred box meets
// nothing keeps it, so sparse pictures look as without the placer; the
// others take, in rank order, the first free box of a few places around
// their point (the other sides, then further off with a leader line that
// crosses no box), and a label with no free place left is dropped. The edge
// of the picture is not an obstacle: a preferred box partly off the picture
// stays where it is, but the other places lie inside it.
class LabelPlacer {
 public:
  explicit LabelPlacer(QRect picture);

  void addObstacle(const QRect& box);

  // One placement per request, in the order given.
  std::vector<LabelPlacement> place(const std::vector<LabelRequest>& labels);

 private:
  // Boxes, or the lines drawn across their boxes, filed by grid cell.
  struct Layer {
    std::vector<QRect> boxes;
    std::vector<QLine> lines;  // empty for a layer of boxes
    std::vector<std::vector<int>> cells;
    std::vector<int> seen;  // per entry: the query that last counted it
  };
  void insert(Layer& layer, const QRect& box, const std::optional<QLine>& line = std::nullopt);
  // Entries of layer meeting box (a box, or a line when given).
  int hits(Layer& layer, const QRect& box, const std::optional<QLine>& line = std::nullopt);
  QRect cellSpan(const QRect& box) const;

  QRect m_picture;
  int m_columns = 1;
  int m_rows = 1;
  Layer m_boxes;
  Layer m_leaders;
  int m_query = 0;
};

// The order of the fleet at race time t, as ranks by boat (0 the leader):
// more course items passed first; between boats on the same leg, the one
// nearer its next item; finished boats by their finishing time. Boats that
// are not present rank after the rest.
std::vector<int> fleetRanks(const LoadedRace& loaded, double t, const std::vector<GeoPoint>& positions,
                            const std::vector<bool>& present);

}  // namespace velaro
