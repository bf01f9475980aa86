#include "render/scene/labelplacer.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace velaro {

namespace {

// About two lines of label text: few boxes share a cell, and a box spans few.
constexpr int kCellPx = 32;

struct Candidate {
  QRect box;
  bool leader = false;
};

int roundPx(double v) {
  return static_cast<int>(std::lround(v));
}

// The places tried after the preferred one: mirrored to the other side,
// above and below, the corners beside the preferred and the mirrored box,
// then two rings further off in eight directions, held by a leader line.
void candidatesFor(const LabelRequest& r, std::vector<Candidate>& out) {
  out.clear();
  const QRect& p = r.preferred;
  const int w = p.width();
  const int h = p.height();
  const double ax = r.anchor.x();
  const double ay = r.anchor.y();
  const int c = r.clearancePx;
  const int mirroredLeft = roundPx(2 * ax) - p.right() - 1;
  const int centredLeft = roundPx(ax - w / 2.0);
  out.push_back({p, false});
  out.push_back({QRect(mirroredLeft, p.top(), w, h), false});
  out.push_back({QRect(centredLeft, roundPx(ay) - c - 1 - h, w, h), false});
  out.push_back({QRect(centredLeft, roundPx(ay) + c + 2, w, h), false});
  for (const int dy : {-h - 1, h + 1}) {
    out.push_back({QRect(p.left(), p.top() + dy, w, h), false});
    out.push_back({QRect(mirroredLeft, p.top() + dy, w, h), false});
  }
  static const double kDiagonal = std::sqrt(0.5);
  for (const double reach : {1.5 * h, 3.0 * h}) {
    const double d = c + reach;
    const double e = c + reach * kDiagonal;
    const int right = roundPx(ax + d);
    const int left = roundPx(ax - d) - w;
    const int middle = roundPx(ay - h / 2.0);
    out.push_back({QRect(right, middle, w, h), true});
    out.push_back({QRect(left, middle, w, h), true});
    out.push_back({QRect(centredLeft, roundPx(ay - d) - h, w, h), true});
    out.push_back({QRect(centredLeft, roundPx(ay + d), w, h), true});
    out.push_back({QRect(roundPx(ax + e), roundPx(ay - e) - h, w, h), true});
    out.push_back({QRect(roundPx(ax - e) - w, roundPx(ay - e) - h, w, h), true});
    out.push_back({QRect(roundPx(ax + e), roundPx(ay + e), w, h), true});
    out.push_back({QRect(roundPx(ax - e) - w, roundPx(ay + e), w, h), true});
  }
}

// From the cleared circle's rim towards the box's nearest point.
std::optional<QLine> leaderTo(const LabelRequest& r, const QRect& box) {
  const double nx = std::clamp(r.anchor.x(), double(box.left()), double(box.right()));
  const double ny = std::clamp(r.anchor.y(), double(box.top()), double(box.bottom()));
  const double dx = nx - r.anchor.x();
  const double dy = ny - r.anchor.y();
  const double length = std::hypot(dx, dy);
  if (length <= r.clearancePx + 1) {
    return std::nullopt;
  }
  const double f = r.clearancePx / length;
  return QLine(roundPx(r.anchor.x() + dx * f), roundPx(r.anchor.y() + dy * f), roundPx(nx), roundPx(ny));
}

// Whether the segment passes through the box's pixels (Liang-Barsky).
bool lineMeetsBox(const QLine& line, const QRect& box) {
  const double x0 = line.x1();
  const double y0 = line.y1();
  const double dx = line.x2() - x0;
  const double dy = line.y2() - y0;
  double enter = 0;
  double leave = 1;
  const auto clip = [&](double p, double q) {
    if (p == 0) {
      return q >= 0;
    }
    const double r = q / p;
    if (p < 0) {
      enter = std::max(enter, r);
    } else {
      leave = std::min(leave, r);
    }
    return enter <= leave;
  };
  return clip(-dx, x0 - box.left()) && clip(dx, box.right() + 1 - x0) && clip(-dy, y0 - box.top()) &&
         clip(dy, box.bottom() + 1 - y0);
}

}  // namespace

LabelPlacer::LabelPlacer(QRect picture)
    : m_picture(picture),
      m_columns(std::max(1, (picture.width() + kCellPx - 1) / kCellPx)),
      m_rows(std::max(1, (picture.height() + kCellPx - 1) / kCellPx)) {
  m_boxes.cells.resize(static_cast<size_t>(m_columns) * m_rows);
  m_leaders.cells.resize(m_boxes.cells.size());
}

// Boxes beyond the picture fall into its border cells, which keeps every box
// findable without cells outside it.
QRect LabelPlacer::cellSpan(const QRect& box) const {
  const auto column = [&](int x) { return std::clamp((x - m_picture.left()) / kCellPx, 0, m_columns - 1); };
  const auto row = [&](int y) { return std::clamp((y - m_picture.top()) / kCellPx, 0, m_rows - 1); };
  const int x1 = column(std::max(box.left(), m_picture.left()));
  const int y1 = row(std::max(box.top(), m_picture.top()));
  return QRect(QPoint(x1, y1), QPoint(column(box.right()), row(box.bottom())));
}

void LabelPlacer::insert(Layer& layer, const QRect& box, const std::optional<QLine>& line) {
  if (box.isEmpty()) {
    return;
  }
  const int index = static_cast<int>(layer.boxes.size());
  layer.boxes.push_back(box);
  if (line) {
    layer.lines.push_back(*line);
  }
  layer.seen.push_back(0);
  const QRect span = cellSpan(box);
  for (int row = span.top(); row <= span.bottom(); ++row) {
    for (int column = span.left(); column <= span.right(); ++column) {
      layer.cells[static_cast<size_t>(row) * m_columns + column].push_back(index);
    }
  }
}

int LabelPlacer::hits(Layer& layer, const QRect& box, const std::optional<QLine>& line) {
  ++m_query;
  int count = 0;
  const QRect span = cellSpan(box);
  for (int row = span.top(); row <= span.bottom(); ++row) {
    for (int column = span.left(); column <= span.right(); ++column) {
      for (const int index : layer.cells[static_cast<size_t>(row) * m_columns + column]) {
        if (layer.seen[index] == m_query || !layer.boxes[index].intersects(box)) {
          continue;
        }
        layer.seen[index] = m_query;
        if (!layer.lines.empty() ? lineMeetsBox(layer.lines[index], box)
                                 : !line || lineMeetsBox(*line, layer.boxes[index])) {
          ++count;
        }
      }
    }
  }
  return count;
}

void LabelPlacer::addObstacle(const QRect& box) {
  insert(m_boxes, box);
}

std::vector<LabelPlacement> LabelPlacer::place(const std::vector<LabelRequest>& labels) {
  std::vector<LabelPlacement> out(labels.size());
  // Labels whose preferred boxes meet nothing keep them, whatever their rank:
  // the places of the others must then avoid them.
  Layer preferred;
  preferred.cells.resize(m_boxes.cells.size());
  for (const LabelRequest& r : labels) {
    insert(preferred, r.preferred);
  }
  std::vector<int> crowded;
  for (size_t i = 0; i < labels.size(); ++i) {
    const QRect& box = labels[i].preferred;
    if (box.isEmpty()) {
      continue;
    }
    if (hits(preferred, box) == 1 && hits(m_boxes, box) == 0) {
      out[i] = {true, box, std::nullopt};
    } else {
      crowded.push_back(static_cast<int>(i));
    }
  }
  for (size_t i = 0; i < labels.size(); ++i) {
    if (out[i].shown) {
      insert(m_boxes, out[i].box);
    }
  }
  std::stable_sort(crowded.begin(), crowded.end(),
                   [&](int a, int b) { return labels[a].rank < labels[b].rank; });
  std::vector<Candidate> candidates;
  for (const int i : crowded) {
    const LabelRequest& r = labels[i];
    candidatesFor(r, candidates);
    for (size_t k = 0; k < candidates.size(); ++k) {
      const QRect& box = candidates[k].box;
      if ((k > 0 && !m_picture.contains(box)) || hits(m_boxes, box) != 0 || hits(m_leaders, box) != 0) {
        continue;
      }
      const std::optional<QLine> leader = candidates[k].leader ? leaderTo(r, box) : std::nullopt;
      if (leader) {
        const QRect span = QRect(leader->p1(), leader->p2()).normalized();
        if (hits(m_boxes, span, leader) != 0) {
          continue;
        }
        insert(m_leaders, span, leader);
      }
      out[i] = {true, box, leader};
      insert(m_boxes, box);
      break;
    }
  }
  return out;
}

std::vector<int> fleetRanks(const LoadedRace& loaded, double t, const std::vector<GeoPoint>& positions,
                            const std::vector<bool>& present) {
  const CourseResults& results = loaded.results;
  const size_t n = positions.size();
  const double cosLat = loaded.geometry.CosCentreLat;
  struct Key {
    int passed = -1;
    double behind = 0;  // metres to the next item, or the finishing time
  };
  std::vector<Key> keys(n);
  for (size_t b = 0; b < n; ++b) {
    if (!present[b]) {
      keys[b] = {-2, 0};
      continue;
    }
    int passed = 0;
    if (b < results.PassTime.size()) {
      const std::vector<double>& times = results.PassTime[b];
      for (int k = results.itemCount - 1; k >= 0; --k) {
        if (k < static_cast<int>(times.size()) && isPassed(times[k]) && times[k] <= t) {
          passed = k + 1;
          break;
        }
      }
    }
    Key& key = keys[b];
    key.passed = passed;
    if (passed > 0 && passed >= results.itemCount) {
      key.behind = results.PassTime[b][passed - 1];
    } else if (passed < static_cast<int>(results.CoursePoint.size()) && results.CoursePoint[passed]) {
      const GeoPoint& next = *results.CoursePoint[passed];
      key.behind = std::hypot(next.lat - positions[b].lat, (next.lon - positions[b].lon) * cosLat);
    }
  }
  std::vector<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return keys[a].passed != keys[b].passed ? keys[a].passed > keys[b].passed
                                            : keys[a].behind < keys[b].behind;
  });
  std::vector<int> ranks(n);
  for (size_t r = 0; r < n; ++r) {
    ranks[order[r]] = static_cast<int>(r);
  }
  return ranks;
}

}  // namespace velaro
