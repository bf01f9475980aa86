#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace velaro::testing {

// A video file read back with FFmpeg's decoders.
struct DecodedVideo {
  bool ok = false;
  QString error;
  QString codec;  // decoder name, such as "h264"
  QString container;
  int width = 0;
  int height = 0;
  double fps = 0;
  int frames = 0;
  std::vector<QImage> pictures;  // the frames asked for, in RGB32
};

// Decodes every frame; keeps the ones whose 0-based numbers are listed.
DecodedVideo decodeVideo(const QString& path, const std::vector<int>& keep = {0});

// Mean absolute difference of the colour channels of two pictures of one
// size, 0..255.
double meanColourDifference(const QImage& a, const QImage& b);

}  // namespace velaro::testing
