#include "render/trackhighlight.h"

#include <QPainter>
#include <QPen>
#include <QPolygon>

namespace velaro {

QImage HighlightTrack(const QImage& picture, const Projection& projection, const std::vector<Fix>& fixes,
                      Rgb colour) {
  QImage copy = picture.copy();
  if (fixes.empty() || copy.isNull()) {
    return copy;
  }
  QPolygon track;
  track.reserve(static_cast<int>(fixes.size()));
  for (const Fix& f : fixes) {
    track << projection.toPixel({f.lat, f.lon});
  }
  QPainter p(&copy);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::white, kTrackHighlightHaloWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  // A one-fix track still shows as a dot.
  const auto draw = [&] { track.size() == 1 ? p.drawPoint(track.front()) : p.drawPolyline(track); };
  draw();
  p.setPen(QPen(QColor::fromRgb(colour.argb()), kTrackHighlightLineWidth, Qt::SolidLine, Qt::RoundCap,
                Qt::RoundJoin));
  draw();
  return copy;
}

}  // namespace velaro
