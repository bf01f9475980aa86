#pragma once

#include <QImage>
#include <QPoint>

#include <vector>

namespace velaro {

// Solid one-pixel lines set straight into a 32-bit picture, end points
// included. The painter's own line drawing costs a call per pixel, which for
// thousands of short segments is most of a picture's time. Each line is cut
// to a box just around the picture first, so far-off ends cost nothing.
// Pictures in other formats are left alone; callers check isPixelSurface().
bool isPixelSurface(const QImage& image);
void pixelLine(QImage& image, QPoint a, QPoint b, QRgb colour);
// Each point joined to the next; a single point sets one pixel.
void pixelPolyline(QImage& image, const std::vector<QPoint>& points, QRgb colour);

}  // namespace velaro
