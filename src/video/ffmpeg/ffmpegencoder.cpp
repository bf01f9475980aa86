// The FFmpeg module: the video encoder behind VideoEncoder, built as a
// library of its own that the program loads only when it makes a video.
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

class FfmpegEncoder final : public VideoEncoder {
 public:
  FfmpegEncoder() = default;
  ~FfmpegEncoder() override { release(true); }

  bool open(const QString& path, QSize size, int fps) override;
  bool addFrame(const QImage& picture) override;
  bool finish() override;
  void abandon() override { release(true); }
  QString errorString() const override { return m_error; }
  QString codecName() const override { return m_codecName; }

 private:
  bool fail(const QString& why) {
    m_error = why;
    release(true);
    return false;
  }
  bool failAv(const char* what, int code) {
    return fail(QStringLiteral("%1: %2").arg(QLatin1String(what), avError(code)));
  }
  bool isOpen() const { return m_format != nullptr; }
  void release(bool removeFile);
  bool writePackets();
  bool openCodec(bool webm, int fps);

  QString m_path;
  QString m_tempPath;
  QSize m_size;
  QString m_error;
  AVFormatContext* m_format = nullptr;
  AVCodecContext* m_codec = nullptr;
  AVStream* m_stream = nullptr;
  SwsContext* m_scaler = nullptr;
  AVFrame* m_frame = nullptr;
  AVPacket* m_packet = nullptr;
  int64_t m_nextPts = 0;
  QString m_codecName;
};

// Frees the encoder; with removeFile the temporary file goes too.
void FfmpegEncoder::release(bool removeFile) {
  if (m_format != nullptr && m_format->pb != nullptr) {
    avio_closep(&m_format->pb);
  }
  avformat_free_context(m_format);
  m_format = nullptr;
  m_stream = nullptr;
  avcodec_free_context(&m_codec);
  sws_freeContext(m_scaler);
  m_scaler = nullptr;
  av_frame_free(&m_frame);
  av_packet_free(&m_packet);
  if (removeFile && !m_tempPath.isEmpty()) {
    QFile::remove(m_tempPath);
  }
  m_tempPath.clear();
}

// Moves every packet the encoder has ready into the file.
bool FfmpegEncoder::writePackets() {
  for (;;) {
    const int got = avcodec_receive_packet(m_codec, m_packet);
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) {
      return true;
    }
    if (got < 0) {
      return failAv("encoding failed", got);
    }
    av_packet_rescale_ts(m_packet, m_codec->time_base, m_stream->time_base);
    m_packet->stream_index = m_stream->index;
    const int written = av_interleaved_write_frame(m_format, m_packet);
    if (written < 0) {
      return fail(QStringLiteral("%1: %2").arg(m_path, avError(written)));
    }
  }
}

bool FfmpegEncoder::openCodec(bool webm, int fps) {
  const AVCodec* encoder = avcodec_find_encoder_by_name(webm ? "libvpx-vp9" : "libx264");
  if (encoder == nullptr) {
    encoder = avcodec_find_encoder(webm ? AV_CODEC_ID_VP9 : AV_CODEC_ID_H264);
  }
  if (encoder == nullptr) {
    return fail(QStringLiteral("this FFmpeg has no %1 encoder").arg(webm ? "VP9" : "H.264"));
  }
  m_codecName = QString::fromLatin1(encoder->name);
  m_codec = avcodec_alloc_context3(encoder);
  m_stream = avformat_new_stream(m_format, nullptr);
  m_frame = av_frame_alloc();
  m_packet = av_packet_alloc();
  if (m_codec == nullptr || m_stream == nullptr || m_frame == nullptr || m_packet == nullptr) {
    return fail(QStringLiteral("out of memory"));
  }
  m_codec->width = m_size.width();
  m_codec->height = m_size.height();
  m_codec->time_base = AVRational{1, fps};
  m_codec->framerate = AVRational{fps, 1};
  m_codec->pix_fmt = AV_PIX_FMT_YUV420P;
  m_codec->gop_size = fps * kKeyFrameSeconds;
  m_codec->thread_count = 0;
  // The colours are converted with the HD coefficients; the tags tell players.
  m_codec->color_range = AVCOL_RANGE_MPEG;
  m_codec->colorspace = AVCOL_SPC_BT709;
  m_codec->color_primaries = AVCOL_PRI_BT709;
  m_codec->color_trc = AVCOL_TRC_BT709;
  if (m_format->oformat->flags & AVFMT_GLOBALHEADER) {
    m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  AVDictionary* options = nullptr;
  if (webm) {
    m_codec->bit_rate = 0;
    av_dict_set(&options, "crf", kVp9Crf, 0);
    av_dict_set(&options, "deadline", "realtime", 0);
    av_dict_set(&options, "cpu-used", kVp9Speed, 0);
    av_dict_set(&options, "row-mt", "1", 0);
  } else {
    av_dict_set(&options, "preset", kH264Preset, 0);
    av_dict_set(&options, "crf", kH264Crf, 0);
    m_codec->max_b_frames = 0;
  }
  const int opened = avcodec_open2(m_codec, encoder, &options);
  av_dict_free(&options);
  if (opened < 0) {
    return failAv("cannot start the video encoder", opened);
  }
  const int copied = avcodec_parameters_from_context(m_stream->codecpar, m_codec);
  if (copied < 0) {
    return failAv("cannot start the video encoder", copied);
  }
  m_stream->time_base = m_codec->time_base;
  m_stream->avg_frame_rate = m_codec->framerate;

  m_frame->format = m_codec->pix_fmt;
  m_frame->width = m_codec->width;
  m_frame->height = m_codec->height;
  const int buffer = av_frame_get_buffer(m_frame, 0);
  if (buffer < 0) {
    return failAv("out of memory", buffer);
  }
  // QImage's 32-bit pixels are native-endian 0xAARRGGBB words, which is
  // FFmpeg's RGB32.
  m_scaler = sws_getContext(m_codec->width, m_codec->height, AV_PIX_FMT_RGB32, m_codec->width,
                            m_codec->height, AV_PIX_FMT_YUV420P, kScalerFlags, nullptr, nullptr, nullptr);
  if (m_scaler == nullptr) {
    return fail(
        QStringLiteral("cannot convert pictures to %1x%2 video").arg(m_size.width()).arg(m_size.height()));
  }
  const int* hd = sws_getCoefficients(SWS_CS_ITU709);
  sws_setColorspaceDetails(m_scaler, hd, 1, hd, 0, 0, 1 << 16, 1 << 16);
  return true;
}

bool FfmpegEncoder::open(const QString& path, QSize size, int fps) {
  release(true);
  m_path = path;
  m_size = size;
  m_nextPts = 0;
  m_codecName.clear();
  if (size.width() < 2 || size.height() < 2 || size.width() % 2 != 0 || size.height() % 2 != 0) {
    return fail(QStringLiteral("a video's width and height must be even, not %1x%2")
                    .arg(size.width())
                    .arg(size.height()));
  }
  if (fps < 1 || fps > kMaxFps) {
    return fail(QStringLiteral("frames a second must be 1 to %1, not %2").arg(kMaxFps).arg(fps));
  }
  const QFileInfo target(path);
  const QString suffix = target.suffix().toLower();
  const bool webm = suffix == QLatin1String("webm");
  if (!webm && suffix != QLatin1String("mp4")) {
    return fail(QStringLiteral("%1: a video's name ends in .mp4 or .webm").arg(path));
  }
  if (target.isDir()) {
    return fail(QStringLiteral("%1: is a folder").arg(path));
  }
  // The owner's write bit, not access(): an administrator's video must not
  // silently replace a file the user protected.
  if (target.exists() && (!target.isWritable() || !(target.permissions() & QFileDevice::WriteOwner))) {
    return fail(QStringLiteral("%1: the file is read-only").arg(path));
  }
  const QFileInfo folder(target.absolutePath());
  if (!folder.exists()) {
    return fail(QStringLiteral("%1: the folder %2 does not exist").arg(path, folder.filePath()));
  }
  if (!folder.isDir()) {
    return fail(QStringLiteral("%1: %2 is not a folder").arg(path, folder.filePath()));
  }

  // A hidden name beside the target, so that the last step is a rename
  // within one file system.
  QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                      QStringLiteral(".XXXXXX"));
  temp.setAutoRemove(false);
  if (!temp.open()) {
    return fail(
        QStringLiteral("%1: cannot write in %2: %3").arg(path, folder.filePath(), temp.errorString()));
  }
  m_tempPath = temp.fileName();
  temp.close();

  av_log_set_level(AV_LOG_ERROR);
  const QByteArray tempName = QFile::encodeName(m_tempPath);
  const int made =
      avformat_alloc_output_context2(&m_format, nullptr, webm ? "webm" : "mp4", tempName.constData());
  if (made < 0 || m_format == nullptr) {
    return failAv("cannot make a video file", made);
  }
  if (!openCodec(webm, fps)) {
    return false;
  }
  const int opened = avio_open(&m_format->pb, tempName.constData(), AVIO_FLAG_WRITE);
  if (opened < 0) {
    return fail(QStringLiteral("%1: %2").arg(path, avError(opened)));
  }
  AVDictionary* muxer = nullptr;
  if (!webm) {
    // The index goes to the front once the video is whole, so players can
    // start it before it has all arrived.
    av_dict_set(&muxer, "movflags", "+faststart", 0);
  }
  const int header = avformat_write_header(m_format, &muxer);
  av_dict_free(&muxer);
  if (header < 0) {
    return fail(QStringLiteral("%1: %2").arg(path, avError(header)));
  }
  return true;
}

bool FfmpegEncoder::addFrame(const QImage& picture) {
  if (!isOpen()) {
    m_error = QStringLiteral("no video is open");
    return false;
  }
  if (picture.size() != m_size) {
    return fail(QStringLiteral("a %1x%2 picture in a %3x%4 video")
                    .arg(picture.width())
                    .arg(picture.height())
                    .arg(m_size.width())
                    .arg(m_size.height()));
  }
  const bool direct = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32;
  const QImage converted = direct ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
  const QImage& source = direct ? picture : converted;
  const int writable = av_frame_make_writable(m_frame);
  if (writable < 0) {
    return failAv("out of memory", writable);
  }
  const uint8_t* planes[1] = {source.constBits()};
  const int strides[1] = {static_cast<int>(source.bytesPerLine())};
  sws_scale(m_scaler, planes, strides, 0, source.height(), m_frame->data, m_frame->linesize);
  m_frame->pts = m_nextPts++;
  const int sent = avcodec_send_frame(m_codec, m_frame);
  if (sent < 0) {
    return failAv("encoding failed", sent);
  }
  return writePackets();
}

bool FfmpegEncoder::finish() {
  if (!isOpen()) {
    m_error = QStringLiteral("no video is open");
    return false;
  }
  const int flushed = avcodec_send_frame(m_codec, nullptr);
  if (flushed < 0) {
    return failAv("encoding failed", flushed);
  }
  if (!writePackets()) {
    return false;
  }
  const int trailer = av_write_trailer(m_format);
  if (trailer < 0) {
    return fail(QStringLiteral("%1: %2").arg(m_path, avError(trailer)));
  }
  if (m_format->pb->error < 0) {
    return fail(QStringLiteral("%1: %2").arg(m_path, avError(m_format->pb->error)));
  }
  const int closed = avio_closep(&m_format->pb);
  if (closed < 0) {
    return fail(QStringLiteral("%1: %2").arg(m_path, avError(closed)));
  }
  // The temporary file was made private; the video gets the permissions of
  // the file it replaces, or those of any new file.
  const QFileInfo old(m_path);
  if (old.exists()) {
    QFile::setPermissions(m_tempPath, old.permissions());
  } else {
    const mode_t mask = fileCreationMask();
    ::chmod(QFile::encodeName(m_tempPath).constData(), 0666 & ~mask);
  }
  // rename() replaces an older file of the name in one step.
  if (std::rename(QFile::encodeName(m_tempPath).constData(), QFile::encodeName(m_path).constData()) != 0) {
    return fail(QStringLiteral("%1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
  }
  m_tempPath.clear();
  release(false);
  return true;
}

}  // namespace velaro

extern "C" Q_DECL_EXPORT velaro::VideoEncoder* velaroMakeVideoEncoder1() {
  return new velaro::FfmpegEncoder;
}
