#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

namespace velaro {

// Writes pictures of one size as a video file: H.264 in MP4, or VP9 in WebM
// when the name ends in .webm. The file is written under a hidden temporary
// name in the target folder and takes its own name only when finish()
// succeeds, so a failed or abandoned video leaves no file and an older file
// of that name stays whole.
class VideoEncoder {
 public:
  VideoEncoder();
  ~VideoEncoder();  // an unfinished video is abandoned
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;

  // Width and height must be even (the colour planes are half size).
  bool open(const QString& path, QSize size, int fps);
  // Pictures in any format; they must have the size given to open().
  bool addFrame(const QImage& picture);
  bool finish();
  // Stops and removes what was written.
  void abandon();

  // Why the last call failed.
  QString errorString() const;
  // The codec in use, such as "libx264".
  QString codecName() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> d;
};

}  // namespace velaro
