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
//
// The encoder lives in a module of its own, loaded when the first video is
// made, so that the program and its other commands start without FFmpeg's
// libraries.
class VideoEncoder {
 public:
  virtual ~VideoEncoder() = default;  // an unfinished video is abandoned

  // Width and height must be even (the colour planes are half size).
  virtual bool open(const QString& path, QSize size, int fps) = 0;
  // Pictures in any format; they must have the size given to open().
  virtual bool addFrame(const QImage& picture) = 0;
  virtual bool finish() = 0;
  // Stops and removes what was written.
  virtual void abandon() = 0;

  // Why the last call failed.
  virtual QString errorString() const = 0;
  // The codec in use, such as "libx264".
  virtual QString codecName() const = 0;

 protected:
  VideoEncoder() = default;
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;
};

// What the encoder module exports: a function of this name and type that
// makes a new encoder. The number changes whenever VideoEncoder does, so an
// older module is refused rather than called wrongly.
inline constexpr const char* kVideoEncoderFactory = "velaroMakeVideoEncoder1";
using VideoEncoderFactory = VideoEncoder* (*)();

// The environment variable that names the module file in place of the
// places it is looked for.
inline constexpr const char* kVideoModuleVariable = "VELARO_FFMPEG_MODULE";

// A new encoder from the module, loaded on first use from the program's
// library folder (lib/velaro beside bin/), the program's own folder, or, for
// a program in the build tree, where the build put it. Nothing, with why in
// error, when the module is missing or cannot be loaded.
std::unique_ptr<VideoEncoder> makeVideoEncoder(QString& error);

}  // namespace velaro
