#include "render/windgraphimage.h"

#include <QPainter>
#include <QPolygon>

namespace velaro {

// Grid lines end one pixel short of the plot's far edge, as the frame does,
// so that they stay inside the frame.
QImage DrawWindGraph(const WindGraph& graph) {
  QImage image(kWindGraphSize, kWindGraphSize, QImage::Format_RGB32);
  image.fill(kWindGraphBackground);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);

  constexpr int kLow = kWindGraphPlotLow;
  constexpr int kLast = kWindGraphPlotHigh - 1;
  p.setPen(kWindGraphGrid);
  p.setBrush(kWindGraphBackground);
  p.drawRect(kLow, kLow, kLast - kLow, kLast - kLow);
  for (int y : graph.timeGridY) {
    p.drawLine(kLow, y, kLast, y);
  }
  for (int x : graph.directionGridX) {
    p.drawLine(x, kLow, x, kLast);
  }

  if (graph.curve.size() > 1) {
    p.setPen(kWindGraphCurve);
    const QPolygon polyline(QList<QPoint>(graph.curve.begin(), graph.curve.end()));
    p.drawPolyline(polyline);
  }
  return image;
}

QImage WindGraphWithTime(const QImage& graph, int barTop) {
  QImage picture = graph.convertToFormat(QImage::Format_RGB32);
  QPainter p(&picture);
  p.fillRect(kWindGraphPlotLow, barTop, kWindGraphTimeMarkerWidth, 2, kWindGraphTimeMarker);
  return picture;
}

}  // namespace velaro
