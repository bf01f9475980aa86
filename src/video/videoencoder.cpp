#include "video/videoencoder.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace velaro {

namespace {

constexpr int kMaxFps = 240;

// Encoder settings: fast enough to write a replay four times faster than it
// plays on one core, and sharp on the thin lines and small text of the map.
// The map moves as a whole from frame to frame, so B-frames save little
// (5 %) for their cost (a sixth of the time); slower presets halve the file
// but take twice the time, and their macroblock tree blurs moving labels. A
// key frame every two seconds lets players seek.
constexpr const char* kH264Preset = "superfast";
constexpr const char* kH264Crf = "23";
constexpr const char* kVp9Crf = "33";
constexpr const char* kVp9Speed = "8";
constexpr int kKeyFrameSeconds = 2;
// Chroma taken from every pixel before it is halved: the vectorised path, and
// no colour fringes beside thin lines.
constexpr int kScalerFlags = SWS_BILINEAR | SWS_FULL_CHR_H_INP;

// The process's file creation mask, read without setting it: umask() would
// change it for a moment under every other thread that creates files. Where
// the kernel does not tell it, the usual 022.
mode_t fileCreationMask() {
  constexpr mode_t kUsualMask = 022;
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) {
    return kUsualMask;
  }
  // readAll: the file reports no size, so atEnd() is true before any read.
  const QByteArray kField("Umask:");
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(kField)) {
      bool ok = false;
      const uint mask = line.mid(kField.size()).trimmed().toUInt(&ok, 8);
      return ok && mask <= 0777 ? static_cast<mode_t>(mask) : kUsualMask;
    }
  }
  return kUsualMask;
}

QString avError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return QString::fromLocal8Bit(text);
}

}  // namespace

struct VideoEncoder::Impl {
  QString path;
  QString tempPath;
  QSize size;
  QString error;
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  SwsContext* scaler = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  int64_t nextPts = 0;
  QString codecName;

  bool fail(const QString& why) {
    error = why;
    release(true);
    return false;
  }
  bool failAv(const char* what, int code) {
    return fail(QStringLiteral("%1: %2").arg(QLatin1String(what), avError(code)));
  }

  bool isOpen() const { return format != nullptr; }

  // Frees the encoder; with removeFile the temporary file goes too.
  void release(bool removeFile) {
    if (format != nullptr && format->pb != nullptr) {
      avio_closep(&format->pb);
    }
    avformat_free_context(format);
    format = nullptr;
    stream = nullptr;
    avcodec_free_context(&codec);
    sws_freeContext(scaler);
    scaler = nullptr;
    av_frame_free(&frame);
    av_packet_free(&packet);
    if (removeFile && !tempPath.isEmpty()) {
      QFile::remove(tempPath);
    }
    tempPath.clear();
  }

  // Moves every packet the encoder has ready into the file.
  bool writePackets() {
    for (;;) {
      const int got = avcodec_receive_packet(codec, packet);
      if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) {
        return true;
      }
      if (got < 0) {
        return failAv("encoding failed", got);
      }
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      const int written = av_interleaved_write_frame(format, packet);
      if (written < 0) {
        return fail(QStringLiteral("%1: %2").arg(path, avError(written)));
      }
    }
  }

  bool openCodec(bool webm, int fps) {
    const AVCodec* encoder = avcodec_find_encoder_by_name(webm ? "libvpx-vp9" : "libx264");
    if (encoder == nullptr) {
      encoder = avcodec_find_encoder(webm ? AV_CODEC_ID_VP9 : AV_CODEC_ID_H264);
    }
    if (encoder == nullptr) {
      return fail(QStringLiteral("this FFmpeg has no %1 encoder").arg(webm ? "VP9" : "H.264"));
    }
    codecName = QString::fromLatin1(encoder->name);
    codec = avcodec_alloc_context3(encoder);
    stream = avformat_new_stream(format, nullptr);
    frame = av_frame_alloc();
    packet = av_packet_alloc();
    if (codec == nullptr || stream == nullptr || frame == nullptr || packet == nullptr) {
      return fail(QStringLiteral("out of memory"));
    }
    codec->width = size.width();
    codec->height = size.height();
    codec->time_base = AVRational{1, fps};
    codec->framerate = AVRational{fps, 1};
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->gop_size = fps * kKeyFrameSeconds;
    codec->thread_count = 0;
    // The colours are converted with the HD coefficients; the tags tell players.
    codec->color_range = AVCOL_RANGE_MPEG;
    codec->colorspace = AVCOL_SPC_BT709;
    codec->color_primaries = AVCOL_PRI_BT709;
    codec->color_trc = AVCOL_TRC_BT709;
    if (format->oformat->flags & AVFMT_GLOBALHEADER) {
      codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    AVDictionary* options = nullptr;
    if (webm) {
      codec->bit_rate = 0;
      av_dict_set(&options, "crf", kVp9Crf, 0);
      av_dict_set(&options, "deadline", "realtime", 0);
      av_dict_set(&options, "cpu-used", kVp9Speed, 0);
      av_dict_set(&options, "row-mt", "1", 0);
    } else {
      av_dict_set(&options, "preset", kH264Preset, 0);
      av_dict_set(&options, "crf", kH264Crf, 0);
      codec->max_b_frames = 0;
    }
    const int opened = avcodec_open2(codec, encoder, &options);
    av_dict_free(&options);
    if (opened < 0) {
      return failAv("cannot start the video encoder", opened);
    }
    const int copied = avcodec_parameters_from_context(stream->codecpar, codec);
    if (copied < 0) {
      return failAv("cannot start the video encoder", copied);
    }
    stream->time_base = codec->time_base;
    stream->avg_frame_rate = codec->framerate;

    frame->format = codec->pix_fmt;
    frame->width = codec->width;
    frame->height = codec->height;
    const int buffer = av_frame_get_buffer(frame, 0);
    if (buffer < 0) {
      return failAv("out of memory", buffer);
    }
    // QImage's 32-bit pixels are native-endian 0xAARRGGBB words, which is
    // FFmpeg's RGB32.
    scaler = sws_getContext(codec->width, codec->height, AV_PIX_FMT_RGB32, codec->width, codec->height,
                            AV_PIX_FMT_YUV420P, kScalerFlags, nullptr, nullptr, nullptr);
    if (scaler == nullptr) {
      return fail(
          QStringLiteral("cannot convert pictures to %1x%2 video").arg(size.width()).arg(size.height()));
    }
    const int* hd = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(scaler, hd, 1, hd, 0, 0, 1 << 16, 1 << 16);
    return true;
  }
};

VideoEncoder::VideoEncoder() : d(std::make_unique<Impl>()) {}

VideoEncoder::~VideoEncoder() {
  d->release(true);
}

bool VideoEncoder::open(const QString& path, QSize size, int fps) {
  d->release(true);
  d->path = path;
  d->size = size;
  d->nextPts = 0;
  d->codecName.clear();
  if (size.width() < 2 || size.height() < 2 || size.width() % 2 != 0 || size.height() % 2 != 0) {
    return d->fail(QStringLiteral("a video's width and height must be even, not %1x%2")
                       .arg(size.width())
                       .arg(size.height()));
  }
  if (fps < 1 || fps > kMaxFps) {
    return d->fail(QStringLiteral("frames a second must be 1 to %1, not %2").arg(kMaxFps).arg(fps));
  }
  const QFileInfo target(path);
  const QString suffix = target.suffix().toLower();
  const bool webm = suffix == QLatin1String("webm");
  if (!webm && suffix != QLatin1String("mp4")) {
    return d->fail(QStringLiteral("%1: a video's name ends in .mp4 or .webm").arg(path));
  }
  if (target.isDir()) {
    return d->fail(QStringLiteral("%1: is a folder").arg(path));
  }
  // The owner's write bit, not access(): an administrator's video must not
  // silently replace a file the user protected.
  if (target.exists() && (!target.isWritable() || !(target.permissions() & QFileDevice::WriteOwner))) {
    return d->fail(QStringLiteral("%1: the file is read-only").arg(path));
  }
  const QFileInfo folder(target.absolutePath());
  if (!folder.exists()) {
    return d->fail(QStringLiteral("%1: the folder %2 does not exist").arg(path, folder.filePath()));
  }
  if (!folder.isDir()) {
    return d->fail(QStringLiteral("%1: %2 is not a folder").arg(path, folder.filePath()));
  }

  // A hidden name beside the target, so that the last step is a rename
  // within one file system.
  QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                      QStringLiteral(".XXXXXX"));
  temp.setAutoRemove(false);
  if (!temp.open()) {
    return d->fail(
        QStringLiteral("%1: cannot write in %2: %3").arg(path, folder.filePath(), temp.errorString()));
  }
  d->tempPath = temp.fileName();
  temp.close();

  av_log_set_level(AV_LOG_ERROR);
  const QByteArray tempName = QFile::encodeName(d->tempPath);
  const int made =
      avformat_alloc_output_context2(&d->format, nullptr, webm ? "webm" : "mp4", tempName.constData());
  if (made < 0 || d->format == nullptr) {
    return d->failAv("cannot make a video file", made);
  }
  if (!d->openCodec(webm, fps)) {
    return false;
  }
  const int opened = avio_open(&d->format->pb, tempName.constData(), AVIO_FLAG_WRITE);
  if (opened < 0) {
    return d->fail(QStringLiteral("%1: %2").arg(path, avError(opened)));
  }
  AVDictionary* muxer = nullptr;
  if (!webm) {
    // The index goes to the front once the video is whole, so players can
    // start it before it has all arrived.
    av_dict_set(&muxer, "movflags", "+faststart", 0);
  }
  const int header = avformat_write_header(d->format, &muxer);
  av_dict_free(&muxer);
  if (header < 0) {
    return d->fail(QStringLiteral("%1: %2").arg(path, avError(header)));
  }
  return true;
}

bool VideoEncoder::addFrame(const QImage& picture) {
  if (!d->isOpen()) {
    d->error = QStringLiteral("no video is open");
    return false;
  }
  if (picture.size() != d->size) {
    return d->fail(QStringLiteral("a %1x%2 picture in a %3x%4 video")
                       .arg(picture.width())
                       .arg(picture.height())
                       .arg(d->size.width())
                       .arg(d->size.height()));
  }
  const bool direct = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32;
  const QImage converted = direct ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
  const QImage& source = direct ? picture : converted;
  const int writable = av_frame_make_writable(d->frame);
  if (writable < 0) {
    return d->failAv("out of memory", writable);
  }
  const uint8_t* planes[1] = {source.constBits()};
  const int strides[1] = {static_cast<int>(source.bytesPerLine())};
  sws_scale(d->scaler, planes, strides, 0, source.height(), d->frame->data, d->frame->linesize);
  d->frame->pts = d->nextPts++;
  const int sent = avcodec_send_frame(d->codec, d->frame);
  if (sent < 0) {
    return d->failAv("encoding failed", sent);
  }
  return d->writePackets();
}

bool VideoEncoder::finish() {
  if (!d->isOpen()) {
    d->error = QStringLiteral("no video is open");
    return false;
  }
  const int flushed = avcodec_send_frame(d->codec, nullptr);
  if (flushed < 0) {
    return d->failAv("encoding failed", flushed);
  }
  if (!d->writePackets()) {
    return false;
  }
  const int trailer = av_write_trailer(d->format);
  if (trailer < 0) {
    return d->fail(QStringLiteral("%1: %2").arg(d->path, avError(trailer)));
  }
  if (d->format->pb->error < 0) {
    return d->fail(QStringLiteral("%1: %2").arg(d->path, avError(d->format->pb->error)));
  }
  const int closed = avio_closep(&d->format->pb);
  if (closed < 0) {
    return d->fail(QStringLiteral("%1: %2").arg(d->path, avError(closed)));
  }
  // The temporary file was made private; the video gets the permissions of
  // the file it replaces, or those of any new file.
  const QFileInfo old(d->path);
  if (old.exists()) {
    QFile::setPermissions(d->tempPath, old.permissions());
  } else {
    const mode_t mask = fileCreationMask();
    ::chmod(QFile::encodeName(d->tempPath).constData(), 0666 & ~mask);
  }
  // rename() replaces an older file of the name in one step.
  if (std::rename(QFile::encodeName(d->tempPath).constData(), QFile::encodeName(d->path).constData()) != 0) {
    return d->fail(QStringLiteral("%1: %2").arg(d->path, QString::fromLocal8Bit(std::strerror(errno))));
  }
  d->tempPath.clear();
  d->release(false);
  return true;
}

void VideoEncoder::abandon() {
  d->release(true);
}

QString VideoEncoder::errorString() const {
  return d->error;
}

QString VideoEncoder::codecName() const {
  return d->codecName;
}

}  // namespace velaro
